#pragma once

class QWidget;

namespace fw {

// A window painted in the highlight colour behind white captions keeps the usual colours on
// its controls: their arrows, outlines and focus frames are drawn in the window colours, and
// white on white (or highlight on highlight) would hide them.
void KeepUsualColours(QWidget* control);

} // namespace fw
