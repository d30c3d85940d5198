#pragma once

// Lets a screen reader walk the year day by day: the year view's accessible
// interface has one child cell a day, named by the day's text.
void installYearAccessibility();
