#include "DialogFrame.h"

#include "Decoration.h"
#include "TextLabel.h"

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
    auto* label = new TextLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(wordWrap);
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

QVBoxLayout* bannerTitles(QWidget* banner, int productSize, int nameSize, int letterSpacing)
{
    auto* titles = new QVBoxLayout;
    titles->setSpacing(0);
    QLabel* product = namedLabel(QStringLiteral("Label1"), QStringLiteral("Lexaro"), banner);
    setLook(product, productSize, QFont::Normal, QColor(0xcf, 0xe2, 0xf3), false, letterSpacing);
    titles->addWidget(product);
    QLabel* name = namedLabel(QStringLiteral("Label2"), QStringLiteral("Tuvano!"), banner);
    setLook(name, nameSize, QFont::Bold, Qt::white);
    titles->addWidget(name);
    return titles;
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
