#pragma once

#include <QComboBox>

namespace tuvano::widgets {

// A drop-down list of choices that never picks an entry by itself: filling
// it leaves it without a choice, and only setListIndex or the user chooses.
// choiceMade is raised for every choice, the user's and the code's alike,
// but not for filling or clearing the list. A choice too long for the box is
// shown cut short with "…", and whole in the tool tip.
class ChoiceList : public QComboBox {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget* parent = nullptr);

    // Replaces every entry at once, leaving no choice.
    void setEntries(const QStringList& texts);
    void clearEntries();
    // Chooses the entry at index (-1: none) and raises choiceMade.
    void setListIndex(int index);
    int listIndex() const { return currentIndex(); }
    // Chooses the first entry, then walks down one entry at a time and stops
    // at the first whose text is exactly text, or at the last entry. Each
    // step is a choice. An empty list is left as it is.
    void walkTo(const QString& text);

    // Room for this many letters, however long the names are.
    static constexpr int kLetters = 18;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void choiceMade();
    // The list's text may be another now: any choice, refill or clearing.
    void textMayHaveChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The chosen text as it fits the box.
    QString shownText() const;
};

} // namespace tuvano::widgets
