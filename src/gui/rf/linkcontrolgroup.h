#pragma once

struct HfTestControls;
class QGroupBox;
class QProgressBar;
class QWidget;

// Builds the LinkControl group of the RF-tests page with its design-time captions and ranges.
QGroupBox *buildLinkControlGroup(QWidget *page, HfTestControls &c);

// Sets a gauge, clamping a value outside its range to the nearest end.
void setGauge(QProgressBar *gauge, int value);
