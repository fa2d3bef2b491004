#pragma once

class QColor;
class QFrame;
class QWidget;

namespace fw {

// A window painted in the highlight colour behind white captions keeps the usual colours on
// its controls: their arrows, outlines and focus frames are drawn in the window colours, and
// white on white (or highlight on highlight) would hide them.
void KeepUsualColours(QWidget* control);

// A sunken panel named "Panel", filled with `face` behind texts in `text`: the body of a
// borderless note telling what the program is busy with.
QFrame* SunkenPanel(QWidget* parent, const QColor& face, const QColor& text);

} // namespace fw
