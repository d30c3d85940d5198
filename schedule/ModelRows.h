#pragma once

// How many of a day's slots a controller model uses, and how it reads them:
// facts the editor, the printed page and the command line share.

// Slots 1 .. shownRowCount(model) of a day are the model's (the editor's shown
// rows); 0 outside 0..4.
int shownRowCount(int model);
// Interval models pair their slots: slot 2k - 1 starts interval k, slot 2k
// ends it; they keep no ring length.
bool isIntervalModel(int model);
