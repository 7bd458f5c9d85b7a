#include "ChoiceList.h"

#include "WrapLabel.h"

#include <QHelpEvent>
#include <QSignalBlocker>
#include <QStringListModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>
#include <QtMath>

#include <algorithm>

namespace tuvano::widgets {

ChoiceList::ChoiceList(QWidget* parent) : QComboBox(parent)
{
    // Plain strings: a list of thousands of names fills fast and stays small.
    setModel(new QStringListModel(this));
    // The box is as wide as 18 letters and an icon, whatever the names: the
    // size is measured here (sizeHint) rather than by choosing QComboBox's
    // policy for it, which makes the popup and its list view at once.
    setMinimumContentsLength(kLetters);
    // The user's choices: a pick in the popup, the arrow keys, the wheel.
    connect(this, &QComboBox::activated, this, &ChoiceList::choiceMade);
    connect(this, &QComboBox::currentIndexChanged, this, &ChoiceList::textMayHaveChanged);
}

void ChoiceList::setEntries(const QStringList& texts)
{
    const QSignalBlocker quiet(this);
    {
        const QSignalBlocker quiet(this);
        static_cast<QStringListModel*>(model())->setStringList(texts);
        setCurrentIndex(-1);
    }
    Q_EMIT textMayHaveChanged();
}

void ChoiceList::clearEntries()
{
    {
        const QSignalBlocker quiet(this);
        clear();
    }
    Q_EMIT textMayHaveChanged();
}

void ChoiceList::setListIndex(int index)
{
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    Q_EMIT textMayHaveChanged();
    Q_EMIT choiceMade();
}

void ChoiceList::walkTo(const QString& text)
{
    if (count() == 0)
        return;
    setListIndex(0);
    while (currentText() != text && currentIndex() < count() - 1)
        setListIndex(currentIndex() + 1);
}

QSize ChoiceList::sizeHint() const
{
    // As QComboBox measures itself when sized to a number of letters and
    // an icon; the least size is the same.
    const QFontMetrics metrics = fontMetrics();
    const QSize icon = iconSize();
    QSize contents(minimumContentsLength() * metrics.horizontalAdvance(u'X') + icon.width() + 4,
                   std::max({qCeil(QFontMetricsF(metrics).height()), 14}) + 2);
    contents.setHeight(std::max(contents.height(), icon.height() + 2));
    if (!placeholderText().isEmpty())
        contents.setWidth(
            std::max(contents.width(), metrics.boundingRect(placeholderText()).width()));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, this);
}

QSize ChoiceList::minimumSizeHint() const { return sizeHint(); }

QString ChoiceList::shownText() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The style draws the text one pixel in from each side of the field.
    return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, field.width() - 2);
}

bool ChoiceList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && shownText() != currentText()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                           plainToolTip(currentText(), this), this);
        return true;
    }
    return QComboBox::event(event);
}

void ChoiceList::paintEvent(QPaintEvent*)
{
    // As QComboBox draws itself, but with the text cut to the field.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

} // namespace tuvano::widgets
