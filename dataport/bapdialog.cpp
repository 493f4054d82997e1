#include "dataport/bapdialog.h"

#include "dataport/controls.h"
#include "dataport/dataportmodel.h"
#include "dataport/dialogparts.h"
#include "dataport/strings.h"
#include "link/session.h"
#include "workfile/workfile.h"

#include <QLabel>

namespace korvanta {

using namespace dataport;

BapDialog::BapDialog(Session &session, QWidget *opener) : SettingsDialog(session, opener, QStringLiteral("Form6"))
{
    setWindowTitle(text::kBapTitle);
    auto *outer = new QGroupBox(text::kBapFrame, this);
    outer->setObjectName(QStringLiteral("Frame3"));
    auto *columns = new QHBoxLayout(outer);
    for (int side = 0; side < 2; ++side) {
        const BapSide &s = bapSides()[side];
        auto *column = new QVBoxLayout;
        auto *label = new QLabel(QString::fromUtf8(s.caption), outer);
        label->setObjectName(nameOf(s.label));
        column->addWidget(label);
        for (const BapRequest &r : bapRequests()) {
            QGroupBox *frame = makeFrame(r.frame[side], QString::fromUtf8(r.caption), outer);
            addOption(frame, r.refuse[side], text::kRefuse);
            addOption(frame, r.answer[side], text::kAnswer);
            column->addWidget(frame);
        }
        columns->addLayout(column);
    }

    auto *body = new QVBoxLayout;
    body->addWidget(outer);
    layOut(*this, body, {"Command1", "Command2", "Command3"}, [this] { registerSettings(); }, [] { return 8; });
}

void BapDialog::readAdapter()
{
    runExchange(ProgressScope::Reading, [this] { BapRead(); });
}

void BapDialog::BapRead()
{
    Session &s = session();
    WorkFile::Batch batch(s.workFile);
    // The calling side first, into the left column.
    for (int side = 0; side < 2; ++side) {
        const BapSide &b = bapSides()[side];
        const auto answer = s.query(b.query);
        const Reading r = answer ? parseMask(*answer) : Reading{false, {}};
        if (!r.ok) {
            Session::reportReceiveFailure(this);
            return;
        }
        if (!r.value)
            continue;
        s.workFile.store(nameOf(kBapSection), nameOf(b.key), *r.value);
        const int mask = r.value->toInt();
        for (const BapRequest &req : bapRequests())
            option(this, mask & req.bit ? req.answer[side] : req.refuse[side])->setChecked(true);
    }
}

void BapDialog::BapWrite()
{
    const auto isOn = [this](const char *name) { return option(this, name)->isChecked(); };
    const int values[2] = {maskOf(isOn, 0), maskOf(isOn, 1)};
    sendSettings(session(), composeBapWrite(storedIn(session().workFile, kBapSection), values), this);
}

void BapDialog::registerSettings()
{
    registerAndClose([this] {
        BapWrite();
        return session().WriteFailed == 0;
    });
}

} // namespace korvanta
