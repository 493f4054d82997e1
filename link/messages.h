#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace korvanta {

inline const QString kProgramTitle = QStringLiteral("KORVAN-TA 設定ユーティリティ");
inline const QString kReceiveFailed = QStringLiteral("コマンドの受信に失敗しました");

// One message box as the utility asks for it.
struct MessageRequest {
    QMessageBox::Icon icon = QMessageBox::Information;
    QString title = kProgramTitle;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// The one seam through which every message box of the utility is shown and the
// beep sounds. Tests install a handler that records the request and answers it.
class Messages {
public:
    using Handler = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

    static QMessageBox::StandardButton show(const MessageRequest &request, QWidget *parent = nullptr);
    // The common case: title of the utility, information icon, OK.
    static void inform(const QString &text, QWidget *parent = nullptr);
    // A range warning: exclamation icon, OK.
    static void warn(const QString &text, QWidget *parent = nullptr);
    static void beep();

    // Replaces the real boxes (nullptr restores them). Returns the previous handler.
    static Handler setHandler(Handler handler);
    static void setBeepHandler(std::function<void()> handler);
};

} // namespace korvanta
