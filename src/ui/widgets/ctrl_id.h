#pragma once
// Control ids of child windows, so that a window finds its children by the
// numbers the skin and the commands use.
class QWidget;

namespace ui {

void SetCtrlId(QWidget* window, int ctrlId);
// 0 for a window without an id.
int GetCtrlId(const QWidget* window);
// The first descendant of parent with the id, or null.
QWidget* FindCtrlWindow(const QWidget* parent, int ctrlId);

}  // namespace ui
