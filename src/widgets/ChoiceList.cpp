#include "ChoiceList.h"

#include <QSignalBlocker>
#include <QStringListModel>

namespace tuvano::widgets {

ChoiceList::ChoiceList(QWidget* parent) : QComboBox(parent)
{
    // Plain strings: a list of thousands of names fills fast and stays small.
    setModel(new QStringListModel(this));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(18);
    // The user's choices: a pick in the popup, the arrow keys, the wheel.
    connect(this, &QComboBox::activated, this, &ChoiceList::choiceMade);
}

void ChoiceList::setEntries(const QStringList& texts)
{
    const QSignalBlocker quiet(this);
    static_cast<QStringListModel*>(model())->setStringList(texts);
    setCurrentIndex(-1);
}

void ChoiceList::clearEntries()
{
    const QSignalBlocker quiet(this);
    clear();
}

void ChoiceList::setListIndex(int index)
{
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
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

} // namespace tuvano::widgets
