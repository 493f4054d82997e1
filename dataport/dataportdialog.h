#pragma once

#include "dataport/dataportmodel.h"
#include "ui/settingsdialog.h"

class QTabWidget;

namespace korvanta {

// Form3 "データポート設定": the DATA and USB ports and the extended data
// settings; opens the throughput BOD (Form5) and BACP/BAP (Form6) details.
class DataPortDialog : public SettingsDialog {
    Q_OBJECT
public:
    DataPortDialog(Session &session, QWidget *opener);

    // The index of the tab last chosen; 0 when the dialog loads.
    int selectedTab() const { return m_selectedTab; }
    int helpContext() const;

protected:
    void readAdapter() override;

private:
    QWidget *buildPortTab(dataport::PortIndex p);
    QWidget *buildCommonTab();

    // DataRead / UsbRead, DataWrite / UsbWrite.
    void PortRead(dataport::PortIndex p);
    void PortWrite(dataport::PortIndex p);
    void DataExtRead();
    void DataExtWrite();

    void registerSettings();
    void openBodDetail();
    void openBapDetail();

    QString portValue(dataport::PortIndex p, const char *key) const;
    QString extValue(const char *key) const;
    void fail(int &flag);

    QTabWidget *m_tabs = nullptr;
    int m_selectedTab = 0;
    bool m_listed[2] = {false, false}; // the port's listing filled its boxes
};

} // namespace korvanta
