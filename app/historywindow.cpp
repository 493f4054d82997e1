// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/historywindow.h"

#include "app/profilewindows.h"
#include "link/session/session.h"
#include "profile/adapterprofile.h"
#include "ui/formparts.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvanta {

namespace {
// Of the settings an entry changed, the list names this many.
constexpr int kSettingsNamed = 3;

QString settingsChanged(const QStringList &changed)
{
    QStringList named = changed.mid(0, kSettingsNamed);
    if (changed.size() > kSettingsNamed)
        named << QStringLiteral("…");
    return HistoryWindow::tr("%n 件: %1", nullptr, int(changed.size())).arg(named.join(QStringLiteral(", ")));
}
} // namespace

HistoryWindow::HistoryWindow(Session &session, QWidget *parent) : QDialog(parent, form::kDialogFlags), m_session(session)
{
    setObjectName(QStringLiteral("FormHistory"));
    setWindowTitle(tr("設定の履歴"));

    auto *listCaption = new QLabel(tr("%1 の設定の変更 (新しい順)。それぞれ変更する前の設定を保存しています:").arg(session.portName), this);
    listCaption->setObjectName(QStringLiteral("ListLabel"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("HistoryList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({tr("日時"), tr("プログラム"), tr("変更"), tr("変更した設定")});
    m_list->header()->setStretchLastSection(true);
    listCaption->setBuddy(m_list);

    auto *differencesCaption = new QLabel(tr("選んだ履歴と機器の設定の違い (機器の値 → 履歴の値):"), this);
    differencesCaption->setObjectName(QStringLiteral("DifferenceLabel"));
    m_differences = new QPlainTextEdit(this);
    m_differences->setObjectName(QStringLiteral("DifferenceText"));
    m_differences->setReadOnly(true);
    m_differences->setLineWrapMode(QPlainTextEdit::NoWrap);
    differencesCaption->setBuddy(m_differences);

    m_restore = new QPushButton(tr("復元(&R)"), this);
    m_restore->setObjectName(QStringLiteral("RestoreButton"));
    m_restore->setEnabled(false);
    auto *close = new QPushButton(tr("閉じる"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setDefault(true);
    connect(m_restore, &QPushButton::clicked, this, &HistoryWindow::restoreSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &HistoryWindow::showDifferences);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->addWidget(listCaption);
    layout->addWidget(m_list, 3);
    layout->addWidget(differencesCaption);
    layout->addWidget(m_differences, 2);
    layout->addLayout(form::buttonRow({m_restore, close}));
    resize(760, 480);
    fill();
    centreOnScreenAsSized(this);
}

void HistoryWindow::fill(const QString &path)
{
    const QSignalBlocker quiet(m_list); // the differences are read once, for the entry selected at the end
    m_list->clear();
    m_entries = profile::history(m_session.portName);
    QTreeWidgetItem *selected = nullptr;
    for (const profile::HistoryEntry &e : m_entries) {
        auto *item = new QTreeWidgetItem(m_list, {QLocale().toString(e.when.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                                  e.program, e.change, settingsChanged(e.changed)});
        item->setToolTip(2, e.change);
        item->setToolTip(3, e.changed.join(QLatin1Char('\n')));
        if (e.path == path)
            selected = item;
    }
    for (int column = 0; column < m_list->columnCount() - 1; ++column)
        m_list->resizeColumnToContents(column);
    m_list->setCurrentItem(selected);
    if (!selected)
        m_differences->setPlainText(m_entries.isEmpty() ? tr("この機器の履歴はまだありません。")
                                                        : tr("履歴を選ぶと、機器の設定との違いを表示します。"));
    else
        showDifferences();
}

void HistoryWindow::showDifferences()
{
    m_restore->setEnabled(false);
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_entries.size())
        return m_differences->clear();
    QString why;
    const auto wanted = profile::readEntry(m_entries[row], &why);
    if (!wanted)
        return m_differences->setPlainText(tr("この履歴を読めません。\n") + why);
    // Only what the entry holds, and what its rules bind it to, is read,
    // and each setting once while the window is open.
    QList<const SettingKey *> unread;
    for (const SettingKey *k : profile::scopeOf(wanted->values))
        if (!m_read.contains(k))
            unread << k;
    if (!unread.isEmpty()) {
        if (m_session.busy() || !m_session.link.isOpen())
            return m_differences->setPlainText(tr("機器の設定を読めませんでした。"));
        bool read = false;
        const QPointer<QWidget> focused = focusWidget(); // the list, where the arrow keys go on
        {
            LineInUse line(m_session, this, ProgressScope::Reading);
            read = profile::read(m_session, unread, m_now, this);
        }
        if (focused)
            focused->setFocus();
        if (!read)
            return m_differences->setPlainText(tr("機器の設定を読めませんでした。")); // the reading said why
        for (const SettingKey *k : unread)
            m_read.insert(k);
    }
    const QStringList lines = described(profile::compare(m_now, wanted->values, profile::settingKeys(), true));
    m_differences->setPlainText(lines.isEmpty() ? tr("機器の設定はこの履歴と同じです。") : lines.join(QLatin1Char('\n')));
    m_restore->setEnabled(true);
}

void HistoryWindow::restoreSelected()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_entries.size())
        return;
    const QString path = m_entries[row].path;
    QString kept;
    restoreEntry(m_session, this, m_entries[row], &kept);
    if (kept.isEmpty())
        return; // nothing was sent
    emit restored(kept);
    // The adapter changed: what it holds is read again, and the entry the
    // restore kept heads the list.
    m_now = {};
    m_read.clear();
    fill(path);
}

void HistoryWindow::closeEvent(QCloseEvent *event)
{
    if (m_session.busy())
        return event->ignore();
    QDialog::closeEvent(event);
}

void HistoryWindow::reject()
{
    if (!m_session.busy())
        QDialog::reject();
}

} // namespace korvanta
