#pragma once

#include <QString>

class QWidget;

namespace bw::test {

// Saves a picture of the widget as <build>/screens/<name>.png, so a person can
// look at how a window shows (nothing clipped, disabled controls greyed).
// Returns the file's path; an empty text when it could not be written.
QString saveScreen(QWidget& widget, const QString& name);

} // namespace bw::test
