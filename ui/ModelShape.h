#pragma once

#include "schedule/DeviceModelNames.h"

#include <QString>

// How each controller model shapes the editor's 64 rows (row = slot - 1),
// as the model table gives it.

// The chosen model's button is green (0, 255, 0); the others keep the
// button face of the style.
inline const QString SelectedModelStyle = QStringLiteral("QRadioButton { background-color: rgb(0, 255, 0); }");

// Rows 0 .. shownRowCount - 1 are shown, the rest hidden; interval models
// show start/end labels and no ring-length boxes (schedule/DeviceModel.h).
// Start/end label pairs shown beside the first rows: 0, 1 or 8.
int shownLabelPairs(DeviceModel model);
// The check box caption of a row: its slot number for the time models,
// empty for the interval models.
QString rowCaption(DeviceModel model, int row);

QString startLabelText(int pair); // "Başlama 1:" for pair 0
QString endLabelText(int pair);   // "Bitiş 1:" for pair 0
