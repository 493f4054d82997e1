#include "dataport/dataportdialog.h"

#include "dataport/bapdialog.h"
#include "dataport/controls.h"
#include "dataport/dialogparts.h"
#include "dataport/strings.h"
#include "dataport/throughputboddialog.h"
#include "link/exchange.h"
#include "link/session.h"
#include "ui/inputfilter.h"
#include "ui/windows.h"
#include "workfile/workfile.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace korvanta {

using namespace dataport;

namespace {
// Where each frame of a port tab stands: row, column, rows, columns.
struct Place { const char *key; int row, column, rows, columns; };
constexpr Place kPortPlaces[] = {
    {"TUCHI", 0, 0, 2, 1}, {"CYAKU", 0, 1, 1, 1}, {"SHIKI", 1, 1, 1, 1},
    {"GLOBAL", 0, 2, 1, 1}, {"SUB_ADR", 1, 2, 1, 1}, {kINumberKey, 2, 0, 1, 2},
};
constexpr Place kNumberPlace{nullptr, 2, 2, 1, 1};

const Place &placeOf(const char *key)
{
    for (const Place &p : kPortPlaces)
        if (qstrcmp(p.key, key) == 0)
            return p;
    Q_UNREACHABLE();
}

// The own address box takes telephone-number characters, the subaddress box
// subaddress characters, on both ports: the text goes out inside an AT
// command line.
void restrictNumberBoxes(QLineEdit *number, QLineEdit *subaddress)
{
    restrictInput(number, charset::kNumber, kNumberMaxLength);
    restrictInput(subaddress, charset::kSubaddress, kSubaddressMaxLength);
}
} // namespace

DataPortDialog::DataPortDialog(Session &session, QWidget *opener)
    : SettingsDialog(session, opener, QStringLiteral("Form3"))
{
    setWindowTitle(text::kDataPortTitle);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildPortTab(DataPort), QString::fromUtf8(port(DataPort).tabCaption));
    m_tabs->addTab(buildPortTab(UsbPort), QString::fromUtf8(port(UsbPort).tabCaption));
    m_tabs->addTab(buildCommonTab(), text::kCommonTab);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { m_selectedTab = index; });

    auto *body = new QVBoxLayout;
    body->addWidget(m_tabs);
    layOut(*this, body, {"Command8", "Command7", "Command6"}, [this] { registerSettings(); },
           [this] { return helpContext(); });
}

int DataPortDialog::helpContext() const
{
    return m_selectedTab == 2 ? 6 : port(PortIndex(m_selectedTab)).helpContext;
}

QWidget *DataPortDialog::buildPortTab(PortIndex p)
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    for (const PortSetting &s : portSettings()) {
        QGroupBox *frame = makeFrame(s.frame[p], QString::fromUtf8(s.frameCaption), page);
        for (const PortOption &o : s.options)
            addOption(frame, o.control[p], QString::fromUtf8(p == UsbPort && o.usbCaption ? o.usbCaption : o.caption));
        const Place &at = placeOf(s.key);
        grid->addWidget(frame, at.row, at.column, at.rows, at.columns);
    }

    const Port &pt = port(p);
    QGroupBox *numbers = makeFrame(pt.numberFrame, text::kNumberFrame, page);
    auto *numberLabel = new QLabel(text::kOwnNumber, numbers);
    numberLabel->setObjectName(nameOf(pt.numberLabel));
    auto *numberBox = new QLineEdit(numbers);
    numberBox->setObjectName(nameOf(pt.numberBox));
    auto *subLabel = new QLabel(text::kOwnSubaddress, numbers);
    subLabel->setObjectName(nameOf(pt.subLabel));
    auto *subBox = new QLineEdit(numbers);
    subBox->setObjectName(nameOf(pt.subBox));
    restrictNumberBoxes(numberBox, subBox);
    numberLabel->setBuddy(numberBox);
    subLabel->setBuddy(subBox);
    for (QWidget *w : {static_cast<QWidget *>(numberLabel), static_cast<QWidget *>(numberBox),
                       static_cast<QWidget *>(subLabel), static_cast<QWidget *>(subBox)})
        numbers->layout()->addWidget(w);
    numberBox->setMinimumWidth(numberBox->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);
    static_cast<QVBoxLayout *>(numbers->layout())->addStretch();
    grid->addWidget(numbers, kNumberPlace.row, kNumberPlace.column, kNumberPlace.rows, kNumberPlace.columns);
    return page;
}

QWidget *DataPortDialog::buildCommonTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    auto frameOf = [&](const char *key) {
        const ExtSetting &s = extSetting(key);
        QGroupBox *frame = makeFrame(s.frame, QString::fromUtf8(s.frameCaption), page);
        for (const ExtOption &o : s.options)
            addOption(frame, o.control, QString::fromUtf8(o.caption));
        return frame;
    };
    auto *bapButton = makeButton("Command5", text::kBapDetail, page);
    auto *bodButton = makeButton("Command4", text::kBodDetail, page);
    connect(bapButton, &QPushButton::clicked, this, &DataPortDialog::openBapDetail);
    connect(bodButton, &QPushButton::clicked, this, &DataPortDialog::openBodDetail);

    grid->addWidget(frameOf("CYAKU"), 0, 0);
    grid->addWidget(frameOf("REBOD"), 1, 0, 2, 1);
    grid->addWidget(frameOf("CYANNEL"), 3, 0);
    grid->addWidget(frameOf(kBacpKey), 0, 1);
    grid->addWidget(bapButton, 1, 1, Qt::AlignTop);
    grid->addWidget(frameOf(kThroughputKey), 2, 1);
    grid->addWidget(bodButton, 3, 1, Qt::AlignTop);
    grid->setRowStretch(4, 1);

    // Each detail button is usable only while its feature is switched on. The
    // page is not yet part of the dialog: the options are looked up in it.
    const auto enables = [page](const char *on, const char *off, QPushButton *button) {
        for (const auto &[name, enabled] : {std::pair{on, true}, std::pair{off, false}})
            connect(page->findChild<QRadioButton *>(nameOf(name)), &QRadioButton::toggled, button,
                    [button, enabled = enabled](bool checked) {
                        if (checked)
                            button->setEnabled(enabled);
                    });
    };
    enables("Option17", "Option18", bodButton);
    enables("Option4", "Option13", bapButton);
    return page;
}

QString DataPortDialog::portValue(PortIndex p, const char *key) const
{
    const PortSetting &s = portSetting(key);
    for (const PortOption &o : s.options)
        if (option(this, o.control[p])->isChecked())
            return QString::fromLatin1(o.value);
    return {};
}

QString DataPortDialog::extValue(const char *key) const
{
    const ExtSetting &s = extSetting(key);
    for (const ExtOption &o : s.options)
        if (option(this, o.control)->isChecked())
            return QString::fromLatin1(o.value);
    return {};
}

void DataPortDialog::fail(int &flag)
{
    Session::reportReceiveFailure(this);
    flag = 1;
}

// ---------------------------------------------------------------------------
// Reading

void DataPortDialog::readAdapter()
{
    m_selectedTab = 0;
    Session &s = session();
    WorkFile::Batch batch(s.workFile); // one save for the three readings
    runExchange(ProgressScope::Reading, [&] {
        PortRead(DataPort);
        if (s.ReadFailed != 1)
            PortRead(UsbPort);
        if (s.ReadFailed != 1)
            DataExtRead();
        if (s.ReadFailed != 1)
            centreOnScreen(this);
    });
    // Older firmware knows no "follow the network contract"; it stays off for
    // the whole showing on both ports, whatever the readings did.
    if (s.NewFirmwareFlag.toInt() == 0)
        for (const Port &pt : ports())
            option(this, pt.networkOption)->setEnabled(false);
}

void DataPortDialog::PortRead(PortIndex p)
{
    Session &s = session();
    const Port &pt = port(p);
    const QString section = nameOf(pt.section);
    s.ReadFailed = 0;
    WorkFile::Batch batch(s.workFile);
    const auto choose = [&](const PortSetting &setting, const QString &value) {
        s.workFile.store(section, nameOf(setting.key), value);
        for (const PortOption &o : setting.options)
            if (value == QLatin1String(o.value))
                option(this, o.control[p])->setChecked(true);
    };
    const bool ok = [&] {
        const auto listing = s.query(pt.listing);
        if (!listing)
            return false;
        const ListingReading r = parseListing(*listing, pt);
        if (!r.ok)
            return false;
        const QString number = QString::fromLatin1(r.number);
        const QString subaddress = QString::fromLatin1(r.subaddress);
        s.workFile.store(section, nameOf(kOwnNumberKey), number);
        showReadText(control<QLineEdit>(this, pt.numberBox), number);
        s.workFile.store(section, nameOf(kSubaddressKey), subaddress);
        showReadText(control<QLineEdit>(this, pt.subBox), subaddress);
        m_listed[p] = true;
        for (const auto &[setting, value] : r.values)
            choose(*setting, value);

        const auto iNumber = s.query(pt.iNumberQuery);
        if (!iNumber)
            return false;
        const Reading n = parseINumber(*iNumber);
        if (n.value)
            choose(portSetting(kINumberKey), *n.value);
        return n.ok;
    }();
    if (!ok)
        fail(s.ReadFailed);
}

void DataPortDialog::DataExtRead()
{
    Session &s = session();
    const QString section = nameOf(kExtSection);
    s.ReadFailed = 0;
    WorkFile::Batch batch(s.workFile);
    for (const ExtSetting *setting : extReadOrder()) {
        const auto answer = s.query(setting->query);
        const Reading r = answer ? parseExtended(*setting, *answer) : Reading{false, {}};
        if (!r.ok) {
            fail(s.ReadFailed);
            return;
        }
        s.workFile.store(section, nameOf(setting->key), *r.value);
        for (const ExtOption &o : setting->options)
            if (*r.value == QLatin1String(o.value))
                option(this, o.control)->setChecked(true);
    }
}

// ---------------------------------------------------------------------------
// Writing

void DataPortDialog::PortWrite(PortIndex p)
{
    Session &s = session();
    const Port &pt = port(p);
    s.WriteFailed = 0;
    // A box that no listing filled shows nothing the adapter holds: it goes
    // out only when the operator typed in it.
    const auto shown = [&](const char *name) -> std::optional<QString> {
        const auto *box = control<QLineEdit>(this, name);
        if (!m_listed[p] && !box->isModified())
            return std::nullopt;
        return box->text();
    };
    const PortCommands c = composePortWrite(
        pt, storedIn(s.workFile, pt.section), [&](const char *key) { return portValue(p, key); },
        shown(pt.numberBox), shown(pt.subBox));
    // The own number and subaddress go in commands of their own, first.
    for (const QByteArray &command : {c.number, c.subaddress, c.settings}) {
        if (command.isEmpty())
            continue;
        if (!s.set(command, this)) {
            s.WriteFailed = 1;
            break;
        }
    }
    DiscardInput(s.link);
}

void DataPortDialog::DataExtWrite()
{
    sendSettings(session(), composeExtWrite(storedIn(session().workFile, kExtSection), [this](const char *key) { return extValue(key); }),
                 this);
}

void DataPortDialog::registerSettings()
{
    Session &s = session();
    registerAndClose([&] {
        PortWrite(DataPort);
        if (s.WriteFailed != 1)
            PortWrite(UsbPort);
        if (s.WriteFailed != 1)
            DataExtWrite();
        return s.WriteFailed != 1;
    });
}

// ---------------------------------------------------------------------------
// Detail dialogs: each disables this dialog while it is open.

void DataPortDialog::openBodDetail()
{
    (new ThroughputBodDialog(session(), this))->openAndRead();
}

void DataPortDialog::openBapDetail()
{
    (new BapDialog(session(), this))->openAndRead();
}

} // namespace korvanta
