#pragma once

#include <QString>

class QBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace tuvano::widgets {

// Names the window and gives it the margins all the program's dialogs share;
// the controls go into the returned layout, top to bottom.
QVBoxLayout* dialogLayout(QWidget* window, const QString& name, const QString& title);

// A label known by its name, showing its text as plain text. Clicks on it do
// nothing, not even reach the window behind it.
QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent,
                   bool wordWrap = false);

// The program's name as its banners show it: "Lexaro" small above "Tuvano!".
QVBoxLayout* bannerTitles(QWidget* banner, int productSize, int nameSize, int letterSpacing);

// A push button known by its name.
QPushButton* namedButton(const QString& name, const QString& text, QWidget* parent);

// The row of buttons at the bottom right of a dialog: cancel, then the
// default action.
void addButtonRow(QBoxLayout* layout, QPushButton* cancel, QPushButton* action);

} // namespace tuvano::widgets
