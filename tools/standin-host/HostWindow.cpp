#include "HostWindow.h"

#include "HostRun.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tuvano::standin {

using namespace Qt::StringLiterals;
using store::DataFile;
using store::ProfileFileSet;

namespace {

enum Column { NameColumn, SizeColumn, PendingColumn };

QString sizeText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return u"saknas"_s;
    return QLocale(QLocale::Swedish, QLocale::Sweden).toString(info.size());
}

int rowOf(DataFile file)
{
    const auto& order = ProfileFileSet::listing;
    return int(std::find(order.begin(), order.end(), file) - order.begin());
}

} // namespace

HostWindow::HostWindow(HostRun& run, QWidget* parent) : QWidget(parent), m_run(run)
{
    setWindowTitle(u"Lexaro (ersättare)"_s);

    auto* folder = new QLabel(u"Programmapp: "_s + QDir::toNativeSeparators(run.folder().path()));
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder->setWordWrap(true);

    auto* note = new QLabel(u"Ändringarna sparas i filerna först när programmet avslutas."_s);
    note->setWordWrap(true);

    auto* quit = new QPushButton(u"&Avsluta"_s);
    connect(quit, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note, 1);
    buttons->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folder);
    layout->addWidget(makeFileList());
    layout->addWidget(makeLineEditor());
    layout->addWidget(makeLog(), 1);
    layout->addLayout(buttons);

    showFiles();
    for (const LineToAdd& line : run.pendingLines())
        logLine(line.file, line.text);
    m_text->setFocus();
    resize(560, minimumSizeHint().height());
}

QWidget* HostWindow::makeFileList()
{
    m_files = new QTreeWidget;
    m_files->setHeaderLabels({u"Fil"_s, u"Storlek (byte)"_s, u"Nya rader"_s});
    m_files->setRootIsDecorated(false);
    m_files->setUniformRowHeights(true);
    m_files->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (DataFile file : ProfileFileSet::listing) {
        auto* item = new QTreeWidgetItem(m_files, {store::fileName(file).toString()});
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(PendingColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    QHeaderView* header = m_files->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(SizeColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PendingColumn, QHeaderView::ResizeToContents);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_files->headerItem()->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_files->headerItem()->setTextAlignment(PendingColumn, Qt::AlignRight | Qt::AlignVCenter);
    // All five rows and no more.
    m_files->setFixedHeight(header->sizeHint().height() +
                            int(ProfileFileSet::listing.size()) * m_files->sizeHintForRow(0) +
                            2 * m_files->frameWidth());

    auto* box = new QGroupBox(u"Datafiler"_s);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_files);
    return box;
}

QWidget* HostWindow::makeLineEditor()
{
    m_target = new QComboBox;
    for (DataFile file : ProfileFileSet::listing)
        m_target->addItem(store::fileName(file).toString());
    m_text = new QLineEdit;
    m_add = new QPushButton(u"&Lägg till rad"_s);
    m_add->setEnabled(false);

    // Picking a file in the list picks it for the next line too.
    connect(m_files, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            m_target->setCurrentIndex(m_files->indexOfTopLevelItem(item));
    });
    connect(m_target, &QComboBox::currentIndexChanged, this,
            [this](int row) { m_files->setCurrentItem(m_files->topLevelItem(row)); });
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_text, &QLineEdit::returnPressed, this, &HostWindow::addLine);
    connect(m_add, &QPushButton::clicked, this, &HostWindow::addLine);
    m_files->setCurrentItem(m_files->topLevelItem(0));

    auto* textRow = new QHBoxLayout;
    textRow->addWidget(m_text, 1);
    textRow->addWidget(m_add);

    auto* box = new QGroupBox(u"Ny rad"_s);
    auto* form = new QFormLayout(box);
    form->addRow(u"&Fil:"_s, m_target);
    auto* textLabel = new QLabel(u"&Text:"_s);
    textLabel->setBuddy(m_text);
    form->addRow(textLabel, textRow);
    return box;
}

QWidget* HostWindow::makeLog()
{
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(500);
    m_log->setMinimumHeight(6 * m_log->fontMetrics().lineSpacing());

    auto* box = new QGroupBox(u"Tillagda rader"_s);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_log);
    return box;
}

void HostWindow::showFiles()
{
    for (DataFile file : ProfileFileSet::listing) {
        QTreeWidgetItem* item = m_files->topLevelItem(rowOf(file));
        item->setText(SizeColumn, sizeText(m_run.folder().liveFile(file)));
        item->setText(PendingColumn, QString::number(m_run.pendingCount(file)));
    }
}

void HostWindow::addLine()
{
    const QString text = m_text->text();
    if (text.isEmpty())
        return;
    const DataFile file = ProfileFileSet::listing[std::size_t(m_target->currentIndex())];
    if (!m_run.addLine(file, text)) {
        m_log->appendPlainText(u"Raden kan inte sparas: den innehåller tecken som filerna "
                               u"inte kan lagra."_s);
        return;
    }
    logLine(file, text);
    m_text->clear();
    showFiles();
}

void HostWindow::logLine(DataFile file, const QString& text)
{
    m_log->appendPlainText(store::fileName(file) + u": " + text);
}

} // namespace tuvano::standin
