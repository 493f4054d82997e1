// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QString>
#include "link/session/text.h"
#include <functional>

class QObject;

namespace korvanta {

inline constexpr Text kProgramTitle{"korvanta::Messages", QT_TRANSLATE_NOOP("korvanta::Messages", "KORVAN-TA 設定ユーティリティ")};
inline constexpr Text kReceiveFailed{"korvanta::Messages",
                                     QT_TRANSLATE_NOOP("korvanta::Messages", "コマンドの受信に失敗しました")};
// Beside it, the command the adapter did not acknowledge.
inline constexpr Text kCommandSent{"korvanta::Messages", QT_TRANSLATE_NOOP("korvanta::Messages", "送信したコマンド: %1")};

// The icons and buttons a message box of the utility may have. The values are
// those of the window toolkit's own, so that its implementation passes them on.
struct MessageBox {
    enum Icon { NoIcon = 0, Information = 1, Warning = 2, Critical = 3, Question = 4 };
    enum Button {
        NoButton = 0x00000000,
        Ok = 0x00000400,
        Yes = 0x00004000,
        No = 0x00010000,
        Abort = 0x00040000,
        Retry = 0x00080000,
        Ignore = 0x00100000,
        Cancel = 0x00400000,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
};
Q_DECLARE_OPERATORS_FOR_FLAGS(MessageBox::Buttons)

// One message box as the utility asks for it.
struct MessageRequest {
    MessageBox::Icon icon = MessageBox::Information;
    QString title = kProgramTitle;
    QString text;
    // Under the text in a window's box: what its buttons do, or the command
    // it is about. The command line says these its own way and leaves it out.
    QString informative;
    QString details; // a longer text the operator may unfold (all of a long list)
    MessageBox::Buttons buttons = MessageBox::Ok;
    MessageBox::Button defaultButton = MessageBox::NoButton;
};

// The one seam through which every message of the utility is shown and the
// beep sounds. The window program presents them as message boxes (ui/), the
// command line on standard error; tests install a handler that records the
// request and answers it. parent is the window the box belongs to, if any.
class Messages {
public:
    using Handler = std::function<MessageBox::Button(const MessageRequest &)>;
    using Presenter = std::function<MessageBox::Button(const MessageRequest &, QObject *parent)>;

    static MessageBox::Button show(const MessageRequest &request, QObject *parent = nullptr);
    // The common case: title of the utility, information icon, OK.
    static void inform(const QString &text, QObject *parent = nullptr);
    // A range warning: exclamation icon, OK.
    static void warn(const QString &text, QObject *parent = nullptr);
    static void beep();

    // How messages reach the operator when no handler answers them: the
    // window implementation or the command line's. Without one, the text goes
    // to standard error and the default button (else OK) is the answer.
    static void setPresenter(Presenter presenter, std::function<void()> beep = {});

    // Replaces the presenter for tests (nullptr restores it). Returns the previous handler.
    static Handler setHandler(Handler handler);
    static void setBeepHandler(std::function<void()> handler);
};

} // namespace korvanta
