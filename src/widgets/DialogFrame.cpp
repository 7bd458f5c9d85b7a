#include "DialogFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace tuvano::widgets {

QVBoxLayout* dialogLayout(QWidget* window, const QString& name, const QString& title)
{
    window->setObjectName(name);
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(16, 14, 16, 16);
    layout->setSpacing(10);
    return layout;
}

QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent, bool wordWrap)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wordWrap);
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

QPushButton* namedButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

void addButtonRow(QBoxLayout* layout, QPushButton* cancel, QPushButton* action)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(action);
    action->setDefault(true);
    layout->addLayout(row);
}

} // namespace tuvano::widgets
