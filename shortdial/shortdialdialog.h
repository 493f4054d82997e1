// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shortdial/shortdialmodel.h"
#include "ui/progresswindow.h"
#include "ui/settingsdialog.h"
#include "workfile/settingvalues.h"

#include <array>

class QLineEdit;

namespace korvanta {

// Form4 "短縮番号登録": the adapter's twenty short-dial entries on two tabs of
// ten rows, read when the window opens and written back, changed entries only,
// by "登録". The reading and writing are the short-dial core's (NumRead,
// NumWrite); the window shows and takes their records.
class ShortDialDialog : public SettingsDialog {
    Q_OBJECT
public:
    ShortDialDialog(Session &session, QWidget *opener);

    // Every entry's stored form as the boxes show it.
    SettingValues shownValues() const;
    void showValues(const SettingValues &values);

protected:
    SettingValues readAdapter() override;

private:
    void registerEntries(); // "登録"

    struct Boxes {
        QLineEdit *number;
        QLineEdit *subaddress;
    };
    std::array<Boxes, shortdial::kEntryCount> m_boxes{};
};

} // namespace korvanta
