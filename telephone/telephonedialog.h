// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/settingsdialog.h"
#include "workfile/settingvalues.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

class QAbstractButton;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QScrollBar;
class QTabWidget;

namespace korvanta {

namespace telephone {
struct ChoiceValue;
struct NumberRange;
struct Port;
} // namespace telephone

// Form2, "アナログポート設定": the settings of the telephone ports TEL1 to TEL3
// and the settings common to them, read from the adapter when the window
// opens and written back, only what changed, on "登録". The reading and
// writing are the telephone core's; the window shows and takes its records.
class TelephoneDialog : public SettingsDialog {
    Q_OBJECT
public:
    TelephoneDialog(Session &session, QWidget *opener);

    // What the controls show, in the core's record: every option group and
    // box, a key only when one of its options is selected. "登録" sends of it
    // what sendable() keeps.
    SettingValues shownValues() const;
    // Shows the values a record holds; the controls of missing keys stay.
    void showValues(const SettingValues &values);

protected:
    SettingValues readAdapter() override;

private:
    QWidget *buildPortTab(int port);
    QWidget *buildCommonTab();
    void bindSettings(); // the controls of each setting, from the tables
    QGroupBox *frame(const char *name, const char *caption, QWidget *parent);
    QAbstractButton *option(const char *name, const char *caption, QWidget *parent, bool checkBox = false);
    QLineEdit *box(const char *name, QWidget *parent);
    void addChoiceOptions(QGroupBox *frame, const std::vector<telephone::ChoiceValue> &values, int port,
                          bool horizontal, bool checkBoxes = false);
    QWidget *numberWithSpin(const char *boxName, const char *spinName, const char *unitName,
                            const char *unitCaption, bool unitCounts, int maxLength, const telephone::NumberRange &range,
                            QGroupBox *parent);

    template <class T> T *control(const char *name) const { return qobject_cast<T *>(controlNamed(name)); }
    QWidget *controlNamed(const char *name) const;
    QString text(const char *boxName) const;
    // Shows a value read from the adapter in a box of the given usual length.
    void showRead(const char *boxName, const QString &value, int maxLength);
    std::vector<bool> checked(const std::vector<telephone::ChoiceValue> &values, int port) const;
    void select(const std::vector<telephone::ChoiceValue> &values, int port, const std::vector<bool> &on);
    void holdKeySelected(char value);
    void shortDialKeySelected(char value);
    void applyFirmwareGate();
    void registerSettings();
    void openDetail();
    void showHelp();

    QTabWidget *m_tabs = nullptr;
    QHash<QString, QWidget *> m_controls;
    // By the tables' own name texts: a registration looks up every option
    // button, and a text made for each look-up cost more than the rest.
    mutable QHash<const char *, QWidget *> m_byTableName;
};

} // namespace korvanta
