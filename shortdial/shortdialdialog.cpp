// SPDX-License-Identifier: GPL-3.0-or-later
#include "shortdial/shortdialdialog.h"

#include "link/session/session.h"
#include "shortdial/shortdialcore.h"
#include "ui/caption.h"
#include "ui/formparts.h"
#include "ui/helpviewer.h"
#include "ui/inputfilter.h"
#include "ui/progresswindow.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvanta {

using namespace shortdial;

namespace {
constexpr int kHelpContext = 10;
constexpr int kLineEditMargin = 2; // QLineEdit's own blank on each side of the text

// The names of the column headings of the two tabs.
struct TabDef {
    const char *numberHeading;
    const char *subaddressHeading;
};
constexpr std::array<TabDef, kTabCaptions.size()> kTabs{{
    {"Label1", "Label2"},
    {"Label14", "Label13"},
}};

// The width a box needs to show maxLength of the widest of its characters.
int widthToShow(const QLineEdit *box, const QString &charset, int maxLength)
{
    const QFontMetrics metrics(box->font());
    int widest = 0;
    for (const QChar c : charset)
        widest = qMax(widest, metrics.horizontalAdvance(QString(maxLength, c)));
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
    return widest + 2 * frame + 2 * kLineEditMargin + 1; // and the cursor
}

QLineEdit *makeBox(const char *name, const QString &charset, int maxLength, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    restrictInput(box, charset, maxLength);
    box->setMinimumWidth(widthToShow(box, charset, maxLength));
    return box;
}

QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}
} // namespace

ShortDialDialog::ShortDialDialog(Session &session, QWidget *opener)
    : SettingsDialog(session, opener, QStringLiteral("Form4"))
{
    setWindowTitle(tr(kWindowTitle));

    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("SSTab1"));
    for (int t = 0; t < int(kTabs.size()); ++t) {
        auto *page = new QWidget(tabs);
        auto *grid = new QGridLayout(page);
        auto heading = [page](const char *name, const QString &caption) {
            auto *label = new Caption(caption, page);
            label->setObjectName(QString::fromLatin1(name));
            return label;
        };
        QLabel *numbers = heading(kTabs[t].numberHeading, tr("電話番号"));
        QLabel *subaddresses = heading(kTabs[t].subaddressHeading, tr("サブアドレス"));
        grid->addWidget(numbers, 0, 1);
        grid->addWidget(subaddresses, 0, 2);
        for (int r = 0; r < kEntriesPerTab; ++r) {
            const int entry = t * kEntriesPerTab + r;
            const EntryRow &row = kEntryRows[entry];
            QLabel *rowLabel = heading(row.label, QString::fromLatin1(row.key) + QLatin1Char(':'));
            grid->addWidget(rowLabel, r + 1, 0);
            m_boxes[entry] = {makeBox(row.numberBox, charset::kNumber, kNumberMaxLength, page),
                              makeBox(row.subaddressBox, charset::kSubaddress, kSubaddressMaxLength, page)};
            // A box goes by its row and its column: "00: 電話番号".
            form::nameControls(rowLabel->text() + u' ' + numbers->text(), {m_boxes[entry].number});
            form::nameControls(rowLabel->text() + u' ' + subaddresses->text(), {m_boxes[entry].subaddress});
            bindSetting(kSection, QString::fromLatin1(row.key), {m_boxes[entry].number, m_boxes[entry].subaddress});
            grid->addWidget(m_boxes[entry].number, r + 1, 1);
            grid->addWidget(m_boxes[entry].subaddress, r + 1, 2);
        }
        grid->setColumnStretch(1, 8);
        grid->setColumnStretch(2, 5);
        tabs->addTab(page, tr(kTabCaptions[t]));
    }
    tabs->setCurrentIndex(0);

    auto *registerButton = makeButton("Command7", tr("登録"), this);
    auto *cancelButton = makeButton("Command6", tr("キャンセル"), this);
    auto *helpButton = makeButton("Command5", tr("ヘルプ"), this);
    connect(registerButton, &QPushButton::clicked, this, &ShortDialDialog::registerEntries);
    connect(cancelButton, &QPushButton::clicked, this, &ShortDialDialog::close);
    connect(helpButton, &QPushButton::clicked, this, [this] { showHelp(this->session(), kHelpContext, this); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *b : {registerButton, cancelButton, helpButton})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
}

SettingValues ShortDialDialog::readAdapter()
{
    SettingValues values;
    runExchange(ProgressScope::Reading, [&] { NumRead(session(), values, this); });
    showValues(values);
    return values;
}

SettingValues ShortDialDialog::shownValues() const
{
    SettingValues values;
    for (int i = 0; i < kEntryCount; ++i)
        values.set(kSection, QString::fromLatin1(kEntryRows[i].key),
                   wireForm({m_boxes[i].number->text(), m_boxes[i].subaddress->text()}));
    return values;
}

void ShortDialDialog::showValues(const SettingValues &values)
{
    for (int i = 0; i < kEntryCount; ++i)
        if (const auto stored = values.get(kSection, QString::fromLatin1(kEntryRows[i].key))) {
            const Entry entry = entryOf(*stored);
            showReadText(m_boxes[i].number, entry.number);
            showReadText(m_boxes[i].subaddress, entry.subaddress);
        }
}

void ShortDialDialog::registerEntries()
{
    registerAndClose([this] { return NumWrite(session(), sendable(shownValues()), this); });
}

} // namespace korvanta
