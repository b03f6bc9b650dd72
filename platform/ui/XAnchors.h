#pragma once

// Controls placed by coordinates that keep their distance to chosen edges of
// their parent when it changes size: anchored left and right a control
// stretches, anchored right only it moves. Moving or sizing the control in
// code takes its new place as the one to keep.

class QWidget;

enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

void SetAnchors(QWidget* Control, int Anchors);
int Anchors(const QWidget* Control);
