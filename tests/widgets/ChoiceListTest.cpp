#include "widgets/ChoiceList.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tuvano::widgets::ChoiceList;

namespace {

class ChoiceListTest : public ::testing::Test {
protected:
    ChoiceList list;
    QSignalSpy choices{&list, &ChoiceList::choiceMade};

    void fill(std::initializer_list<QString> names) { list.setEntries(QStringList(names)); }
};

TEST_F(ChoiceListTest, FillingChoosesNothingAndRaisesNothing)
{
    fill({u"A"_s, u"B"_s});
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_TRUE(list.currentText().isEmpty());
    list.setListIndex(1);
    fill({u"C"_s});
    EXPECT_EQ(list.currentIndex(), -1);
    list.setListIndex(0);
    list.clearEntries();
    EXPECT_EQ(choices.count(), 2);
}

TEST_F(ChoiceListTest, ChoicesByCodeAndByKeyboardAreRaised)
{
    fill({u"A"_s, u"B"_s, u"C"_s});
    list.setListIndex(0);
    list.setListIndex(0);
    EXPECT_EQ(choices.count(), 2);
    list.show();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.currentText(), u"B"_s);
    EXPECT_EQ(choices.count(), 3);
}

TEST_F(ChoiceListTest, WalkStopsAtTheFirstMatchOrTheLastEntry)
{
    fill({u"A"_s, u"B"_s, u"B"_s, u"C"_s});
    list.walkTo(u"B"_s);
    EXPECT_EQ(list.currentIndex(), 1);
    EXPECT_EQ(choices.count(), 2);
    list.walkTo(u"b"_s);
    EXPECT_EQ(list.currentIndex(), 3);
}

TEST_F(ChoiceListTest, WalkOnAnEmptyListDoesNothing)
{
    list.walkTo(u"A"_s);
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(choices.count(), 0);
}

} // namespace
