<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>korvanta::BapDialog</name>
    <message>
        <source>＜発信側設定＞</source>
        <translation>When calling</translation>
    </message>
    <message>
        <source>＜着信側要求＞</source>
        <translation>When called</translation>
    </message>
    <message>
        <source>チャンネル追加</source>
        <translation>Channel Addition</translation>
    </message>
    <message>
        <source>コールバック要求</source>
        <translation>Callback Request</translation>
    </message>
    <message>
        <source>チャンネル削除</source>
        <translation>Channel Removal</translation>
    </message>
    <message>
        <source>BACP/BAP詳細設定</source>
        <translation>BACP/BAP Details</translation>
    </message>
    <message>
        <source>ＢＡＰリクエスト対処方法</source>
        <translation>BAP Request Handling</translation>
    </message>
    <message>
        <source>拒否する</source>
        <translation>Refuse</translation>
    </message>
    <message>
        <source>自動応答</source>
        <translation>Accept automatically</translation>
    </message>
    <message>
        <source>自動で応答する要求 (%1) の和: %2。それ以外は拒否します (%3)</source>
        <translation>the sum of the requests answered automatically (%1): %2; the others are refused (%3)</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>korvanta::CommEventHandler</name>
    <message>
        <source>CTS 時間切れｴﾗｰを検出しました</source>
        <translation>CTS timeout detected.</translation>
    </message>
    <message>
        <source>DSR 時間切れｴﾗｰを検出しました</source>
        <translation>DSR timeout detected.</translation>
    </message>
    <message>
        <source>ﾃﾞｰﾀ喪失ｴﾗｰが発生しました</source>
        <translation>Data lost (receive overrun).</translation>
    </message>
    <message>
        <source>ｷｬﾘｱ検出時間切れｴﾗｰを検出しました</source>
        <translation>Carrier detect timeout detected.</translation>
    </message>
    <message>
        <source>ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました</source>
        <translation>Receive buffer overflow.</translation>
    </message>
    <message>
        <source>送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました</source>
        <translation>Transmit buffer full.</translation>
    </message>
    <message>
        <source>未知ｴﾗｰが発生しました</source>
        <translation>An unknown error occurred on the serial line.</translation>
    </message>
    <message>
        <source>［ｷｬﾝｾﾙ］中断 , ［OK］無視</source>
        <translation>Serial Port Error</translation>
    </message>
    <message>
        <source>機器との回線が切れました。ケーブルと機器の電源を確かめてください。</source>
        <translation>The line to the adapter was lost. Check the cable and that the adapter is switched on.</translation>
    </message>
    <message>
        <source>［OK］はエラーを無視して続けます。［キャンセル］は機器との回線を閉じます。ユーティリティを起動し直すまで、機器とは通信できません。</source>
        <translation>OK ignores the error and goes on. Cancel closes the line to the adapter: nothing more reaches it until the utility is started again.</translation>
    </message>
</context>
<context>
    <name>korvanta::DataPortDialog</name>
    <message>
        <source>DATAポート  </source>
        <translation>DATA Port</translation>
    </message>
    <message>
        <source>USBポート  </source>
        <translation>USB Port</translation>
    </message>
    <message>
        <source>自己アドレス</source>
        <translation>Own number</translation>
    </message>
    <message>
        <source>自己サブアドレス</source>
        <translation>Own subaddress</translation>
    </message>
    <message>
        <source>サブアドレスなし着信</source>
        <translation>Calls Without Subaddress</translation>
    </message>
    <message>
        <source>着信する</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>着信しない</source>
        <translation>Reject</translation>
    </message>
    <message>
        <source>グローバル着信</source>
        <translation>Global Calls</translation>
    </message>
    <message>
        <source>着信規制</source>
        <translation>Incoming Call Restriction</translation>
    </message>
    <message>
        <source>規制する</source>
        <translation>Restrict</translation>
    </message>
    <message>
        <source>規制しない</source>
        <translation>Do not restrict</translation>
    </message>
    <message>
        <source>識別着信</source>
        <translation>Distinctive Incoming Calls</translation>
    </message>
    <message>
        <source>する</source>
        <translation>On</translation>
    </message>
    <message>
        <source>しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>発信者番号通知指定</source>
        <translation>Caller ID Presentation</translation>
    </message>
    <message>
        <source>通知しない</source>
        <translation>Do not send</translation>
    </message>
    <message>
        <source>契約者番号を通知</source>
        <translation>Send subscriber number</translation>
    </message>
    <message>
        <source>自己アドレスを通知</source>
        <translation>Send own number</translation>
    </message>
    <message>
        <source>網契約に従う</source>
        <translation>As subscribed</translation>
    </message>
    <message>
        <source>ｉ・ナンバー</source>
        <translation>i-Number</translation>
    </message>
    <message>
        <source>全番号で着信する／契約者回線番号で発信する</source>
        <translation>Accept calls to every number, call with subscriber number</translation>
    </message>
    <message>
        <source>契約者回線番号で発着信する</source>
        <translation>Use subscriber number</translation>
    </message>
    <message>
        <source>契約者番号で発着信する</source>
        <translation>Use subscriber number</translation>
    </message>
    <message>
        <source>追加番号１で発着信する</source>
        <translation>Use additional number 1</translation>
    </message>
    <message>
        <source>追加番号２で発着信する</source>
        <translation>Use additional number 2</translation>
    </message>
    <message>
        <source>初期接続チャンネル数</source>
        <translation>Initial Channels</translation>
    </message>
    <message>
        <source>２チャンネル</source>
        <translation>2 channels</translation>
    </message>
    <message>
        <source>１チャンネル</source>
        <translation>1 channel</translation>
    </message>
    <message>
        <source>リソースＢＯＤの設定</source>
        <translation>Resource BOD</translation>
    </message>
    <message>
        <source>発信／着信とも割当て</source>
        <translation>Outgoing and incoming calls</translation>
    </message>
    <message>
        <source>発信時のみ割当て</source>
        <translation>Outgoing calls only</translation>
    </message>
    <message>
        <source>着信時のみ割当て</source>
        <translation>Incoming calls only</translation>
    </message>
    <message>
        <source>割当てを行なわない</source>
        <translation>No allocation</translation>
    </message>
    <message>
        <source>ＢＯＤモード設定</source>
        <translation>BOD Mode</translation>
    </message>
    <message>
        <source>ＢＡＣＰ／ＢＡＰを使用しない</source>
        <translation>No BACP/BAP</translation>
    </message>
    <message>
        <source>ＢＡＣＰ／ＢＡＰを使用する</source>
        <translation>Use BACP/BAP</translation>
    </message>
    <message>
        <source>スループットＢＯＤ</source>
        <translation>Throughput BOD</translation>
    </message>
    <message>
        <source>使用する</source>
        <translation>On</translation>
    </message>
    <message>
        <source>使用しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>デジタル着信優先</source>
        <translation>Digital Call Priority</translation>
    </message>
    <message>
        <source>ＤＡＴＡポート</source>
        <translation>DATA port</translation>
    </message>
    <message>
        <source>ＵＳＢポート</source>
        <translation>USB port</translation>
    </message>
    <message>
        <source>データポート設定</source>
        <translation>Data Port Settings</translation>
    </message>
    <message>
        <source>番号登録</source>
        <translation>Numbers</translation>
    </message>
    <message>
        <source>ＢＡＣＰ／ＢＡＰ詳細設定</source>
        <translation>BACP/BAP Details</translation>
    </message>
    <message>
        <source>スループットＢＯＤ詳細設定</source>
        <translation>Throughput BOD Details</translation>
    </message>
    <message>
        <source>共通  </source>
        <translation>Common</translation>
    </message>
    <message>
        <source>%1: 「%2」は評価方向の一方が「%3」以外のとき、「%4」は両方がそれらのときだけです</source>
        <translation>%1: &quot;%2&quot; only when Measured Traffic of either direction is other than &quot;%3&quot;; &quot;%4&quot; only when both are</translation>
    </message>
    <message>
        <source>」「</source>
        <translation>&quot; or &quot;</translation>
    </message>
    <message>
        <source>[%8] %1=%2 (%3) となるのは、[%4] の %5 か %6 が %7 以外のときだけです: データポート設定は、どちらかの方向がチャンネルを追加または削除するときスループットＢＯＤを使用すると表示し、使用しないにすると両方向に %7 を送り、使用するにしただけでは何も送りません。</source>
        <translation>[%8] %1=%2 (%3) exactly when [%4] %5 or %6 is other than %7: the data port window shows throughput BOD as used when a direction adds or deletes channels, switching it off sends both directions %7, and switching it on sends nothing by itself.</translation>
    </message>
</context>
<context>
    <name>korvanta::HelpWindow</name>
    <message>
        <source>KORVAN-TA 設定ユーティリティ ヘルプ</source>
        <translation>KORVAN-TA Settings Utility Help</translation>
    </message>
    <message>
        <source>ヘルプファイル &quot;%1&quot; が見つかりません。</source>
        <translation>Help file &quot;%1&quot; not found.</translation>
    </message>
</context>
<context>
    <name>korvanta::HistoryWindow</name>
    <message numerus="yes">
        <source>%n 件: %1</source>
        <translation>
            <numerusform>%n setting: %1</numerusform>
            <numerusform>%n settings: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>設定の履歴</source>
        <translation>Settings History</translation>
    </message>
    <message>
        <source>%1 の設定の変更 (新しい順)。それぞれ変更する前の設定を保存しています:</source>
        <translation>Changes to the settings on %1, newest first. Each keeps the settings as they were before it:</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>プログラム</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>変更</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>変更した設定</source>
        <translation>Settings changed</translation>
    </message>
    <message>
        <source>選んだ履歴と機器の設定の違い (機器の値 → 履歴の値):</source>
        <translation>Where the selected entry differs from the adapter (adapter&apos;s value → entry&apos;s value):</translation>
    </message>
    <message>
        <source>復元(&amp;R)</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>この機器の履歴はまだありません。</source>
        <translation>There is no history of this adapter yet.</translation>
    </message>
    <message>
        <source>履歴を選ぶと、機器の設定との違いを表示します。</source>
        <translation>Select an entry to see where it differs from the adapter&apos;s settings.</translation>
    </message>
    <message>
        <source>この履歴を読めません。
</source>
        <translation>Cannot read this entry.
</translation>
    </message>
    <message>
        <source>機器の設定を読めませんでした。</source>
        <translation>The adapter&apos;s settings could not be read.</translation>
    </message>
    <message>
        <source>機器の設定はこの履歴と同じです。</source>
        <translation>The adapter&apos;s settings are the same as this entry.</translation>
    </message>
</context>
<context>
    <name>korvanta::Identity</name>
    <message>
        <source>COMポートがオープンできません</source>
        <translation>Cannot open the COM port.</translation>
    </message>
    <message>
        <source>機器が接続されていません</source>
        <translation>No adapter is connected.</translation>
    </message>
    <message>
        <source>KORVAN-TAが接続されていません</source>
        <translation>No KORVAN-TA is connected.</translation>
    </message>
    <message>
        <source>ポートに接続できません</source>
        <translation>Cannot connect to the port.</translation>
    </message>
</context>
<context>
    <name>korvanta::InitDialog</name>
    <message>
        <source> 現在設定値のすべてを工場出荷時</source>
        <translation> Resets every setting to its factory value, </translation>
    </message>
    <message>
        <source>に戻します。</source>
        <translation>the stored numbers and speed-dial directory included.</translation>
    </message>
    <message>
        <source> ダイヤル情報エリアの値は残したまま､</source>
        <translation> Keeps all stored numbers (own, forwarding and speed-dial) </translation>
    </message>
    <message>
        <source>工場出荷時に戻します。</source>
        <translation>and resets everything else to factory values.</translation>
    </message>
    <message>
        <source>初期化</source>
        <translation>Initialize</translation>
    </message>
    <message>
        <source>初期化選択</source>
        <translation>Initialization</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Initialize</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>機器の設定を読めませんでした。</source>
        <translation>The adapter&apos;s settings could not be read.</translation>
    </message>
    <message>
        <source>初期化する前の機器の設定を控えとして保存できません。
%1

控えなしで初期化しますか？</source>
        <translation>The adapter&apos;s settings cannot be backed up before the initialization.
%1

Initialize without a backup?</translation>
    </message>
    <message>
        <source>初期化しました。

初期化する前の機器の設定:
%1

「設定の復元」で元に戻せます。</source>
        <translation>The adapter was initialized.

Its settings before the initialization were saved to:
%1

File &gt; Restore Settings... brings them back.</translation>
    </message>
</context>
<context>
    <name>korvanta::MainWindow</name>
    <message>
        <source>アナログポート設定</source>
        <translation>Analog Port Settings</translation>
    </message>
    <message>
        <source>ｱﾅﾛｸﾞﾎﾟｰﾄ設定(&amp;A)...</source>
        <translation>&amp;Analog Port Settings...</translation>
    </message>
    <message>
        <source>データポート設定</source>
        <translation>Data Port Settings</translation>
    </message>
    <message>
        <source>ﾃﾞｰﾀﾎﾟｰﾄ設定(&amp;D)...</source>
        <translation>&amp;Data Port Settings...</translation>
    </message>
    <message>
        <source>短縮番号登録</source>
        <translation>Speed Dial Numbers</translation>
    </message>
    <message>
        <source>短縮番号登録(&amp;N)...</source>
        <translation>Speed Dial &amp;Numbers...</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>ﾀｰﾐﾅﾙ(&amp;T)</source>
        <translation>&amp;Terminal</translation>
    </message>
    <message>
        <source>設定の保存(&amp;S)...</source>
        <translation>&amp;Save Settings...</translation>
    </message>
    <message>
        <source>設定の復元(&amp;R)...</source>
        <translation>&amp;Restore Settings...</translation>
    </message>
    <message>
        <source>終了(&amp;E)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>初期化(&amp;I)...</source>
        <translation>&amp;Initialize...</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(&amp;V)...</source>
        <translation>&amp;Version Information...</translation>
    </message>
    <message>
        <source>設定ファイル (*.ini);;すべてのファイル (*)</source>
        <translation>Settings profiles (*.ini);;All files (*)</translation>
    </message>
    <message numerus="yes">
        <source>
… ほか %n 件</source>
        <translation>
            <numerusform>
… and %n more</numerusform>
            <numerusform>
… and %n more</numerusform>
        </translation>
    </message>
    <message>
        <source>設定の保存</source>
        <translation>Save Settings</translation>
    </message>
    <message>
        <source>設定を保存しました。
%1</source>
        <translation>Settings saved.
%1</translation>
    </message>
    <message>
        <source>設定の復元</source>
        <translation>Restore Settings</translation>
    </message>
    <message>
        <source>設定ファイルを読めません。
%1
%2</source>
        <translation>Cannot read the profile.
%1
%2</translation>
    </message>
    <message>
        <source>設定ファイルに誤りがあります。何も送信しません。
</source>
        <translation>The profile has an error. Nothing is sent.
</translation>
    </message>
    <message>
        <source>設定ファイルの設定はこの機器に送れません。何も送信しません。
</source>
        <translation>The settings in the profile cannot be sent to this adapter. Nothing is sent.
</translation>
    </message>
    <message>
        <source>機器の設定は設定ファイルと同じです。何も送信しません。</source>
        <translation>The adapter&apos;s settings match the profile. Nothing is sent.</translation>
    </message>
    <message numerus="yes">
        <source>次の %n 件の設定を変更します (機器の値 → 設定ファイルの値)。よろしいですか？

</source>
        <translation>
            <numerusform>Change the following setting (adapter value → profile value)?

</numerusform>
            <numerusform>Change the following %n settings (adapter value → profile value)?

</numerusform>
        </translation>
    </message>
    <message>
        <source>読み返した設定が設定ファイルと違います:

</source>
        <translation>The settings read back differ from the profile:

</translation>
    </message>
    <message numerus="yes">
        <source>設定を復元しました (%n 件)。</source>
        <translation>
            <numerusform>Settings restored (%n setting).</numerusform>
            <numerusform>Settings restored (%n settings).</numerusform>
        </translation>
    </message>
    <message>
        <source>設定ファイルに書き込めません。
%1</source>
        <translation>Cannot write the profile.
%1</translation>
    </message>
    <message>
        <source>機器の設定の控えを保存できません。何も送信しません。
</source>
        <translation>Cannot save a backup of the adapter&apos;s settings. Nothing was sent.
</translation>
    </message>
    <message>
        <source>

復元する前の機器の設定:
</source>
        <translation>

The adapter&apos;s settings before the restore:
</translation>
    </message>
    <message>
        <source>

この機器のファームウェアが受け付けないため、次の設定は送信しません:
</source>
        <translation>

Not sent, as this adapter&apos;s firmware cannot take them:
</translation>
    </message>
    <message>
        <source>

設定ファイルにない設定 (そのファームウェアにはありません) は、機器の値のままです:
</source>
        <translation>

Settings the profile does not hold (its firmware had none) keep the adapter&apos;s values:
</translation>
    </message>
    <message numerus="yes">
        <source>設定の復元は途中で失敗しました。%n 件の変更のうち、機器が受け付けたもの %1 件、送信して応答のないもの %2 件、送信していないもの %3 件です。もう一度復元すると残りを送信します。</source>
        <translation>
            <numerusform>Restoring the settings failed part of the way. Of the %n change, the adapter acknowledged %1, %2 went without an answer and %3 were not sent. Restoring again sends the rest.</numerusform>
            <numerusform>Restoring the settings failed part of the way. Of the %n changes, the adapter acknowledged %1, %2 went without an answer and %3 were not sent. Restoring again sends the rest.</numerusform>
        </translation>
    </message>
    <message>
        <source>変更する前の機器の設定を履歴に保存できません。この登録は元に戻せません。
%1</source>
        <translation>Cannot keep the adapter&apos;s settings before the change in the history. This registration cannot be undone.
%1</translation>
    </message>
    <message>
        <source>履歴(&amp;H)...</source>
        <translation>&amp;History...</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>履歴を読めません。何も送信しません。
</source>
        <translation>Cannot read the history entry. Nothing was sent.
</translation>
    </message>
</context>
<context>
    <name>korvanta::Messages</name>
    <message>
        <source>KORVAN-TA 設定ユーティリティ</source>
        <translation>KORVAN-TA Settings Utility</translation>
    </message>
    <message>
        <source>コマンドの受信に失敗しました</source>
        <translation>The adapter did not acknowledge the command: no answer came, or it answered ERROR. Check the cable and the adapter&apos;s power, then try again.</translation>
    </message>
    <message>
        <source>送信したコマンド: %1</source>
        <translation>Command sent: %1</translation>
    </message>
</context>
<context>
    <name>korvanta::NetworkLink</name>
    <message>
        <source>%1 への接続は拒否されました。サーバーが動いているか、ポート番号が正しいか確かめてください。</source>
        <translation>The connection to %1 was refused. Check that the server runs and that the port number is right.</translation>
    </message>
    <message>
        <source>%1: ホスト「%2」が見つかりません。</source>
        <translation>%1: host &quot;%2&quot; not found.</translation>
    </message>
    <message>
        <source>%1 は %2 秒以内に接続に応答しませんでした。</source>
        <translation>%1 did not answer the connection within %2 seconds.</translation>
    </message>
    <message>
        <source>%1 のサーバーは RFC 2217 (COM ポートの制御) を受け付けません。</source>
        <translation>The server at %1 does not take RFC 2217 (COM port control).</translation>
    </message>
    <message>
        <source>%1 のサーバーは %2 秒以内に RFC 2217 (COM ポートの制御) に応じませんでした。</source>
        <translation>The server at %1 did not answer RFC 2217 (COM port control) within %2 seconds.</translation>
    </message>
    <message>
        <source>%1 のサーバーは %2 秒以内にポートの設定に応じませんでした。</source>
        <translation>The server at %1 did not answer the port settings within %2 seconds.</translation>
    </message>
    <message>
        <source>%1 のサーバーは速度 19200 bit/s を受け付けませんでした (%2 bit/s と応答)。</source>
        <translation>The server at %1 refused the speed of 19200 bit/s (it answered %2 bit/s).</translation>
    </message>
    <message>
        <source>%1 のサーバーは 8 ビット、パリティなし、ストップビット 1、フロー制御なしを受け付けませんでした。</source>
        <translation>The server at %1 refused 8 data bits, no parity, 1 stop bit, no flow control.</translation>
    </message>
    <message>
        <source>%1 のサーバーが接続を閉じました。ポートは他のクライアントが使用中かもしれません。</source>
        <translation>The server at %1 closed the connection. Another client may be using the port.</translation>
    </message>
    <message>
        <source>(サーバーの応答:「%1」)</source>
        <translation> (the server said: &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>%1 との接続が切れました (サーバーが止まったか、ネットワークが切れました)。</source>
        <translation>The connection to %1 was lost (the server stopped or the network went down).</translation>
    </message>
    <message>
        <source>%1 との接続は閉じられました。</source>
        <translation>The connection to %1 was closed.</translation>
    </message>
    <message>
        <source>警告: %1 のホスト鍵が変わっています。なりすましの恐れがあるため接続しません。いまの鍵の指紋は %2 です。サーバーの鍵を入れ替えたと確かめたときだけ、%3 から古い鍵を消してください (ssh-keygen -R)。</source>
        <translation>WARNING: the host key of %1 has changed. Someone may be impersonating the server, so no connection is made. The key&apos;s fingerprint now is %2. Only once you have made sure that the server&apos;s key was replaced, remove the old key from %3 (ssh-keygen -R).</translation>
    </message>
    <message>
        <source>%1 のホスト鍵を知らないため接続しません。鍵の指紋は %2 です。サーバーの鍵と確かめたら「%3」で %4 に加えるか、ssh で一度接続して受け入れてください。</source>
        <translation>The host key of %1 is not known, so no connection is made. The key&apos;s fingerprint is %2. Once you have checked that it is the server&apos;s key, add it to %4 with &quot;%3&quot;, or connect once with ssh and accept it.</translation>
    </message>
    <message>
        <source>%1: %2 を読めません: %3</source>
        <translation>%1: cannot read %2: %3</translation>
    </message>
    <message>
        <source>%1: 鍵 %2 を読めません。パスフレーズで守られた鍵は、ssh-add で ssh-agent に読み込んでから使ってください。</source>
        <translation>%1: cannot read the key %2. A key protected by a passphrase must first be loaded into ssh-agent with ssh-add.</translation>
    </message>
    <message>
        <source>%1: ログインが時間内に終わりませんでした。</source>
        <translation>%1: the login did not finish in time.</translation>
    </message>
    <message>
        <source>%1: サーバーは %2 としてのログインを認めませんでした。ssh-agent の鍵、~/.ssh の鍵、ports.conf の key を確かめてください (パスフレーズで守られた鍵は ssh-add で ssh-agent に読み込んでください)。</source>
        <translation>%1: the server did not accept the login as %2. Check the keys in ssh-agent, the keys in ~/.ssh and the port&apos;s key in ports.conf (load a key protected by a passphrase into ssh-agent with ssh-add).</translation>
    </message>
    <message>
        <source>%1: サーバーはポートへの通り道を時間内に開きませんでした。</source>
        <translation>%1: the server did not open the way to the port in time.</translation>
    </message>
    <message>
        <source>%1: サーバーはポートへの通り道を開きませんでした: %2</source>
        <translation>%1: the server did not open the way to the port: %2</translation>
    </message>
    <message>
        <source>サーバーが接続を閉じました。</source>
        <translation>The server closed the connection.</translation>
    </message>
    <message>
        <source>%1: %2のファイル「%3」を読めません (%4)。</source>
        <translation>%1: cannot read the %2 file “%3” (%4).</translation>
    </message>
    <message>
        <source>PEM 形式の証明書がありません</source>
        <translation>no certificate in PEM form</translation>
    </message>
    <message>
        <source>認証局の証明書 (ca)</source>
        <translation>CA certificate (ca)</translation>
    </message>
    <message>
        <source>クライアント証明書 (cert)</source>
        <translation>client certificate (cert)</translation>
    </message>
    <message>
        <source>秘密鍵 (key)</source>
        <translation>private key (key)</translation>
    </message>
    <message>
        <source>PEM 形式の暗号化されていない秘密鍵がありません</source>
        <translation>no unencrypted private key in PEM form</translation>
    </message>
    <message>
        <source>%1 との TLS の接続を確立できませんでした (%2)。</source>
        <translation>Could not establish the TLS connection with %1 (%2).</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書 (SHA-256 指紋 %2) は ports.conf で固定された指紋 %3 と違います。証明書が替えられたか、別のサーバーが応答しています。替えたのが確かなときだけ、このポートの fingerprint の行を新しい指紋にしてください。</source>
        <translation>The certificate of the server at %1 (SHA-256 fingerprint %2) differs from the fingerprint %3 pinned in ports.conf. The certificate was replaced, or another server is answering. Only if you are sure it was replaced, change the port&apos;s fingerprint line to the new fingerprint.</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書は信頼できる認証局のものではありません (SHA-256 指紋 %2)。このサーバーを信頼するなら、ports.conf のこのポートの下に行「    fingerprint = %2」を加えるか、その認証局の証明書を行「    ca = ファイル」で指定してください。</source>
        <translation>The certificate of the server at %1 is not from a trusted certificate authority (SHA-256 fingerprint %2). To trust this server, add the line “    fingerprint = %2” below the port in ports.conf, or name its CA&apos;s certificate with the line “    ca = FILE”.</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書はホスト「%2」のものではありません (証明書の名前: %3)。</source>
        <translation>The certificate of the server at %1 is not for the host “%2” (the certificate&apos;s name: %3).</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書は %2 に期限が切れています。</source>
        <translation>The certificate of the server at %1 expired on %2.</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書は %2 まで有効になりません。</source>
        <translation>The certificate of the server at %1 is not valid before %2.</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書を受け付けられません (%2)。</source>
        <translation>The certificate of the server at %1 cannot be accepted (%2).</translation>
    </message>
    <message>
        <source>サーバーがクライアント証明書を求めているなら、ports.conf のこのポートの下に cert と key の行を加えてください。</source>
        <translation> If the server asks for a client certificate, add cert and key lines below the port in ports.conf.</translation>
    </message>
    <message>
        <source>%1 に %2@%3 としてログインするパスワード:</source>
        <translation>Password for %2@%3 at %1:</translation>
    </message>
    <message>
        <source>%1 (%2@%3) のサーバーの問い: %4</source>
        <translation>The server at %1 (%2@%3) asks: %4</translation>
    </message>
    <message>
        <source>%1 にログインする ~/.ssh の鍵のパスフレーズ:</source>
        <translation>Passphrase of the key in ~/.ssh that logs in to %1:</translation>
    </message>
    <message>
        <source>%1 にログインする鍵 %2 のパスフレーズ:</source>
        <translation>Passphrase of the key %2 that logs in to %1:</translation>
    </message>
    <message>
        <source>%1: 入力が取り消されたため、ログインせずに接続を終えました。</source>
        <translation>%1: the question was declined, so the connection was ended without logging in.</translation>
    </message>
    <message>
        <source>%1: 鍵 %2 を読めません。パスフレーズが違うか、鍵のファイルではありません。</source>
        <translation>%1: cannot read the key %2. The passphrase is wrong, or the file is not a key.</translation>
    </message>
    <message>
        <source>信頼できるものがありません。</source>
        <translation>There is nothing to trust.</translation>
    </message>
    <message>
        <source>フォルダー %1 を作れません。</source>
        <translation>Cannot create the folder %1.</translation>
    </message>
</context>
<context>
    <name>korvanta::NetworkPortDialog</name>
    <message>
        <source>ネットワーク ポートの追加</source>
        <translation>Add Network Port</translation>
    </message>
    <message>
        <source>例: rack1-a</source>
        <translation>e.g. rack1-a</translation>
    </message>
    <message>
        <source>名前(&amp;N):</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>アドレス(&amp;A):</source>
        <translation>&amp;Address:</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>接続できませんでした。</source>
        <translation>The connection failed.</translation>
    </message>
    <message>
        <source>コンソール サーバー (ser2net など) のポートを次の形で指定します。
rfc2217://ホスト:ポート  RFC 2217 で速度と形式を設定します
tcp://ホスト:ポート  サーバー側を 19200 bit/s 8N1 にしておきます
rfc2217+tls://、tcp+tls://  同じものを TLS で暗号化します
ssh://ユーザー@ホスト:ポート  SSH で接続します (19200 bit/s 8N1)
追加すると接続を試し、ports.conf に書き加えます。</source>
        <translation>The port on a console server (ser2net or the like), as one of:
rfc2217://host:port  speed and framing set by RFC 2217
tcp://host:port  the server&apos;s port already at 19200 bit/s 8N1
rfc2217+tls://, tcp+tls://  the same, encrypted with TLS
ssh://user@host:port  over SSH (19200 bit/s 8N1 on the server)
Add tries the connection, then writes the port into ports.conf.</translation>
    </message>
    <message>
        <source>アドレスは rfc2217://ホスト:ポート、tcp://ホスト:ポート、その TLS 版 (rfc2217+tls://、tcp+tls://) か ssh://ホスト で指定してください。</source>
        <translation>Give the address as rfc2217://HOST:PORT, tcp://HOST:PORT, either within TLS (rfc2217+tls://, tcp+tls://), or ssh://HOST.</translation>
    </message>
    <message>
        <source>認証局の証明書 (ca):</source>
        <translation>CA certificate (ca):</translation>
    </message>
    <message>
        <source>証明書の指紋 (fingerprint):</source>
        <translation>Certificate fingerprint (fingerprint):</translation>
    </message>
    <message>
        <source>クライアント証明書 (cert):</source>
        <translation>Client certificate (cert):</translation>
    </message>
    <message>
        <source>秘密鍵 (key):</source>
        <translation>Private key (key):</translation>
    </message>
    <message>
        <source>詳細設定</source>
        <translation>Port Settings</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>期限の倍率 (deadline-scale):</source>
        <translation>Deadline scale (deadline-scale):</translation>
    </message>
    <message>
        <source>このサーバーを信頼する</source>
        <translation>Trust This Server</translation>
    </message>
    <message>
        <source>%1 のサーバーの証明書は信頼できる認証局のものではありません。SHA-256 指紋:
%2
サーバーの管理者に確かめた指紋と同じときだけ信頼してください。信頼すると、この指紋をポートの設定に固定します。</source>
        <translation>The certificate of the server at %1 is not from a trusted CA. SHA-256 fingerprint:
%2
Trust it only if this is the fingerprint the server&apos;s administrator confirmed. Trusting it pins this fingerprint in the port&apos;s settings.</translation>
    </message>
    <message>
        <source>%1 のホスト鍵を知りません。鍵の指紋:
%2
サーバーの管理者に確かめた指紋と同じときだけ信頼してください。信頼すると、鍵を %3 に加えます。</source>
        <translation>The host key of %1 is not known. Key fingerprint:
%2
Trust it only if this is the fingerprint the server&apos;s administrator confirmed. Trusting it adds the key to %3.</translation>
    </message>
    <message>
        <source>鍵のパスフレーズ</source>
        <translation>Key Passphrase</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
</context>
<context>
    <name>korvanta::NumberDisplayDialog</name>
    <message>
        <source>登録</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>ＴＥＬ１詳細設定</source>
        <translation>TEL1 Details</translation>
    </message>
    <message>
        <source>ＴＥＬ２詳細設定</source>
        <translation>TEL2 Details</translation>
    </message>
    <message>
        <source>注意） TEL2/TEL3は同時に使用できません。</source>
        <translation>Note: TEL2 and TEL3 cannot both use number display.</translation>
    </message>
    <message>
        <source>ＴＥＬ３詳細設定</source>
        <translation>TEL3 Details</translation>
    </message>
    <message>
        <source>ナンバー･ディスプレイ</source>
        <translation>Number Display</translation>
    </message>
    <message>
        <source>対応機器を使用しない</source>
        <translation>No compatible phone</translation>
    </message>
    <message>
        <source>対応機器を使用する</source>
        <translation>Compatible phone connected</translation>
    </message>
    <message>
        <source>ｉ・ナンバー</source>
        <translation>i-Number</translation>
    </message>
    <message>
        <source>全番号で着信する／契約者回線番号で発信する</source>
        <translation>Accept calls to every number, call with subscriber number</translation>
    </message>
    <message>
        <source>契約者回線番号で発着信する</source>
        <translation>Use subscriber number</translation>
    </message>
    <message>
        <source>追加番号１で発着信する</source>
        <translation>Use additional number 1</translation>
    </message>
    <message>
        <source>追加番号２で発着信する</source>
        <translation>Use additional number 2</translation>
    </message>
    <message>
        <source>注意）</source>
        <translation>Note:</translation>
    </message>
    <message>
        <source>%1=%2 は [%3] と [%4] のどちらか一方だけ (ナンバー・ディスプレイ): 機器が番号を表示するのは二つのポートの一方だけで、それぞれの詳細ウィンドウは、もう一方が使用中の間その選択肢を固定します。</source>
        <translation>%1=%2 in one of [%3] and [%4] at most (number display): the adapter shows numbers on one of the two ports, and the detail window of each locks its options while the other one has them on.</translation>
    </message>
</context>
<context>
    <name>korvanta::PortAddress</name>
    <message>
        <source>アドレス「%1」: 「[%2]」は IPv6 アドレスではありません。</source>
        <translation>Address &quot;%1&quot;: &quot;[%2]&quot; is not an IPv6 address.</translation>
    </message>
    <message>
        <source>アドレス「%1」: ホスト名がありません、または正しくありません (IPv6 は「[::1]:ポート」のように書きます)。</source>
        <translation>Address &quot;%1&quot;: the host name is missing or not valid (write IPv6 as &quot;[::1]:port&quot;).</translation>
    </message>
    <message>
        <source>アドレス「%1」: ポート番号がありません (「ホスト:ポート」)。</source>
        <translation>Address &quot;%1&quot;: no port number (&quot;host:port&quot;).</translation>
    </message>
    <message>
        <source>アドレス「%1」: ポート番号「%2」は 1 から 65535 の数ではありません。</source>
        <translation>Address &quot;%1&quot;: the port number &quot;%2&quot; is not a number from 1 to 65535.</translation>
    </message>
    <message>
        <source>アドレスがありません。</source>
        <translation>No address.</translation>
    </message>
    <message>
        <source>「名前 = アドレス」ではありません。</source>
        <translation>not &quot;NAME = ADDRESS&quot;.</translation>
    </message>
    <message>
        <source>名前「%1」は使えません (英数字と「-」「_」「.」、COMn 以外)。</source>
        <translation>The name &quot;%1&quot; cannot be used (letters, digits, &quot;-&quot;, &quot;_&quot; and &quot;.&quot;; not COMn).</translation>
    </message>
    <message>
        <source>名前「%1」はもう使われています。</source>
        <translation>The name &quot;%1&quot; is already taken.</translation>
    </message>
    <message>
        <source>アドレス「%1」: 「%2://」は使えません。使えるのは %3 です。</source>
        <translation>Address &quot;%1&quot;: &quot;%2://&quot; cannot be used; use one of %3.</translation>
    </message>
    <message>
        <source>deadline-scale「%1」は 0.1 から 100 の数ではありません。</source>
        <translation>deadline-scale &quot;%1&quot; is not a number from 0.1 to 100.</translation>
    </message>
    <message>
        <source>fingerprint「%1」は SHA-256 の指紋 (「SHA256:」と 32 バイトの 16 進) ではありません。</source>
        <translation>fingerprint &quot;%1&quot; is no SHA-256 fingerprint (&quot;SHA256:&quot; and 32 bytes in hex).</translation>
    </message>
    <message>
        <source>%1 にファイルがありません。</source>
        <translation>%1 names no file.</translation>
    </message>
    <message>
        <source>「%1」の前にポートの行がありません。</source>
        <translation>no port line comes before &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>アドレス「%1」: ユーザー名「%2」は使えません。</source>
        <translation>Address &quot;%1&quot;: the user name &quot;%2&quot; cannot be used.</translation>
    </message>
</context>
<context>
    <name>korvanta::PortDialog</name>
    <message>
        <source>COM%1   (ﾎﾟｰﾄ%1)</source>
        <translation>COM%1   (Port %1)</translation>
    </message>
    <message>
        <source>シリアルポート設定</source>
        <translation>Serial Port</translation>
    </message>
    <message>
        <source>シリアルポート選択</source>
        <translation>Select Port</translation>
    </message>
    <message>
        <source>デバイス: </source>
        <translation>Device: </translation>
    </message>
    <message>
        <source>☆KORVAN-TA が接続されているポートを選択してください。</source>
        <translation>Select the port the KORVAN-TA is connected to.</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ネットワーク ポートの追加...</source>
        <translation>Add Network Port…</translation>
    </message>
</context>
<context>
    <name>korvanta::ProgressWindow</name>
    <message>
        <source>読取り中です</source>
        <translation>Reading...</translation>
    </message>
    <message>
        <source>しばらくお待ちください</source>
        <translation>Please wait.</translation>
    </message>
    <message>
        <source>書込み中です</source>
        <translation>Writing...</translation>
    </message>
</context>
<context>
    <name>korvanta::SerialControl</name>
    <message>
        <source>デバイス %1 は他のプログラムが使用中です。</source>
        <translation>Device %1 is in use by another program.</translation>
    </message>
    <message>
        <source>デバイス %1 が存在しません。</source>
        <translation>Device %1 does not exist.</translation>
    </message>
    <message>
        <source>デバイス %1 を開く権限がありません。</source>
        <translation>No permission to open device %1.</translation>
    </message>
    <message>
        <source>ユーザーをグループ「%1」に加えてから、ログインし直してください。</source>
        <translation> Add the user to the group &quot;%1&quot;, then log in again.</translation>
    </message>
    <message>
        <source>デバイス %1: %2</source>
        <translation>Device %1: %2</translation>
    </message>
    <message>
        <source>%1 だけが開けます (%2)。udev の規則か管理者がこの権限を変えられます。</source>
        <translation> Only %1 may open it (%2); a udev rule or the administrator can change that.</translation>
    </message>
    <message>
        <source>モード (%1) では誰でも開けますが、システムが拒みました。管理者に相談してください。</source>
        <translation> Its mode (%1) lets anyone open it, but the system refused; ask the administrator.</translation>
    </message>
</context>
<context>
    <name>korvanta::SettingValues</name>
    <message>
        <source>%1 [%2] %3: 機器の応答の値 &quot;%4&quot; はこの設定では使えません</source>
        <translation>%1 [%2] %3: the adapter replied &quot;%4&quot;, which the setting does not take</translation>
    </message>
</context>
<context>
    <name>korvanta::SettingsDialog</name>
    <message>
        <source>登録</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>%1（読み込めませんでした）</source>
        <extracomment>%1 is the caption of a tab or frame whose settings the read did not get.</extracomment>
        <translation>%1 (not read)</translation>
    </message>
</context>
<context>
    <name>korvanta::ShortDialDialog</name>
    <message>
        <source>電話番号</source>
        <translation>Phone Number</translation>
    </message>
    <message>
        <source>サブアドレス</source>
        <translation>Subaddress</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>短縮番号登録</source>
        <translation>Speed Dial Numbers</translation>
    </message>
    <message>
        <source>登録１  </source>
        <translation>Entries 00–09</translation>
    </message>
    <message>
        <source>登録２  </source>
        <translation>Entries 10–19</translation>
    </message>
</context>
<context>
    <name>korvanta::TelephoneDialog</name>
    <message>
        <source>TEL1ポート</source>
        <translation>TEL1 Port</translation>
    </message>
    <message>
        <source>TEL1詳細設定</source>
        <translation>TEL1 Details</translation>
    </message>
    <message>
        <source>TEL2ポート</source>
        <translation>TEL2 Port</translation>
    </message>
    <message>
        <source>TEL2詳細設定</source>
        <translation>TEL2 Details</translation>
    </message>
    <message>
        <source>TEL3ポート</source>
        <translation>TEL3 Port</translation>
    </message>
    <message>
        <source>TEL3詳細設定</source>
        <translation>TEL3 Details</translation>
    </message>
    <message>
        <source>アナログポート</source>
        <translation>Bearer Capability</translation>
    </message>
    <message>
        <source>音声</source>
        <translation>Speech</translation>
    </message>
    <message>
        <source>3.1KHzｵｰﾃﾞｨｵ</source>
        <translation>3.1 kHz audio</translation>
    </message>
    <message>
        <source>グローバル着信</source>
        <translation>Global Calls</translation>
    </message>
    <message>
        <source>着信する</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>着信しない</source>
        <translation>Reject</translation>
    </message>
    <message>
        <source>ｻﾌﾞｱﾄﾞﾚｽなし着信</source>
        <translation>Calls Without Subaddress</translation>
    </message>
    <message>
        <source>着信規制</source>
        <translation>Incoming Call Restriction</translation>
    </message>
    <message>
        <source>規制する</source>
        <translation>Restrict</translation>
    </message>
    <message>
        <source>規制しない</source>
        <translation>Do not restrict</translation>
    </message>
    <message>
        <source>識別着信</source>
        <translation>Distinctive Incoming Calls</translation>
    </message>
    <message>
        <source>する</source>
        <translation>On</translation>
    </message>
    <message>
        <source>しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>コールウェイティング</source>
        <translation>Call Waiting</translation>
    </message>
    <message>
        <source>使用しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>NTTｺｰﾙｳｪｲﾃｨﾝｸﾞ</source>
        <translation>NTT call waiting</translation>
    </message>
    <message>
        <source>擬似ｺｰﾙｳｪｲﾃｨﾝｸﾞ</source>
        <translation>Simulated call waiting</translation>
    </message>
    <message>
        <source>発信者番号通知指定</source>
        <translation>Caller ID Presentation</translation>
    </message>
    <message>
        <source>通知しない</source>
        <translation>Do not send</translation>
    </message>
    <message>
        <source>契約者回線番号を通知</source>
        <translation>Send subscriber number</translation>
    </message>
    <message>
        <source>自己アドレスを通知</source>
        <translation>Send own number</translation>
    </message>
    <message>
        <source>網契約に従う</source>
        <translation>As subscribed</translation>
    </message>
    <message>
        <source>着信転送</source>
        <translation>Call Forwarding</translation>
    </message>
    <message>
        <source>利用する</source>
        <translation>On</translation>
    </message>
    <message>
        <source>利用しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>転送トーキ</source>
        <translation>Forwarding announcement</translation>
    </message>
    <message>
        <source>転送元トーキ</source>
        <translation>Announcement to forwarding port</translation>
    </message>
    <message>
        <source>アナログ着信</source>
        <translation>Analog Ringing</translation>
    </message>
    <message>
        <source>優先着信</source>
        <translation>Priority</translation>
    </message>
    <message>
        <source>先行着信</source>
        <translation>Ring first</translation>
    </message>
    <message>
        <source>遅延着信</source>
        <translation>Delayed</translation>
    </message>
    <message>
        <source>内線呼出音</source>
        <translation>Internal Ring Pattern</translation>
    </message>
    <message>
        <source>ﾘｰﾝ･ﾘｰﾝ</source>
        <translation>Single ring</translation>
    </message>
    <message>
        <source>ﾘｰｰﾝ･ﾘｰｰﾝ</source>
        <translation>Long ring</translation>
    </message>
    <message>
        <source>ﾘｰﾝﾘﾝ･ﾘｰﾝﾘﾝ</source>
        <translation>Double ring</translation>
    </message>
    <message>
        <source>自己アドレス</source>
        <translation>Own number</translation>
    </message>
    <message>
        <source>自己サブアドレス</source>
        <translation>Own subaddress</translation>
    </message>
    <message>
        <source>転送先電話番号</source>
        <translation>Forward to</translation>
    </message>
    <message>
        <source>発信時間設定</source>
        <translation>Dial Wait Time</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>ｉ・ナンバー</source>
        <translation>i-Number</translation>
    </message>
    <message>
        <source>使用する</source>
        <translation>On</translation>
    </message>
    <message>
        <source>遅延回数設定</source>
        <translation>Ring Delay</translation>
    </message>
    <message numerus="yes">
        <source>回</source>
        <translation>
            <numerusform>ring</numerusform>
            <numerusform>rings</numerusform>
        </translation>
    </message>
    <message>
        <source>有効範囲は0～9(回)です</source>
        <translation>Valid range: 0 to 9 rings</translation>
    </message>
    <message>
        <source>外線保留キー設定</source>
        <translation>Hold Key</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>＊</source>
        <translation>*</translation>
    </message>
    <message>
        <source>＃</source>
        <translation>#</translation>
    </message>
    <message>
        <source>＊＊</source>
        <translation>**</translation>
    </message>
    <message>
        <source>＊＃</source>
        <translation>*#</translation>
    </message>
    <message>
        <source>＃＊</source>
        <translation>#*</translation>
    </message>
    <message>
        <source>短縮ダイヤル キー設定</source>
        <translation>Speed Dial Key</translation>
    </message>
    <message>
        <source>呼出音周波数の設定</source>
        <translation>Ring Frequency</translation>
    </message>
    <message>
        <source>ヘルツ</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>有効範囲は16～30Hzです</source>
        <translation>Valid range: 16 to 30 Hz</translation>
    </message>
    <message>
        <source>ﾅﾝﾊﾞｰﾃﾞｨｽﾌﾟﾚｲ情報送出ｼｰｹﾝｽ設定</source>
        <translation>Number Display Sequence</translation>
    </message>
    <message>
        <source>有効範囲は0～2です</source>
        <translation>Valid range: 0 to 2</translation>
    </message>
    <message>
        <source>アナログポート設定</source>
        <translation>Analog Port Settings</translation>
    </message>
    <message>
        <source>共通</source>
        <translation>Common</translation>
    </message>
    <message>
        <source>番号登録</source>
        <translation>Numbers</translation>
    </message>
    <message>
        <source>注意）ﾅﾝﾊﾞｰﾃﾞｨｽﾌﾟﾚｲ使用       設定時に遅延着信を       選択すると正常に動       作しない場合があり       ます。                    優先／先行着信で        ご使用下さい。</source>
        <translation>Note: With number display
on, Delayed may not
work properly. Use
Priority or Ring first.</translation>
    </message>
    <message>
        <source>発信時間設定は03～15(秒)まで可能です</source>
        <translation> dial wait time: valid range 3 to 15 seconds</translation>
    </message>
    <message>
        <source>外線保留キーと短縮ダイヤルキーが重複しています</source>
        <translation>The hold key and the speed dial key are the same.</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Register</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>[%3] の %1 (外線保留キー) と %2 (短縮ダイヤルキー) は、両方が 0 (%4) のときを除き、別のキーです: 機器は、もう一方が持つキーを受け付けません。</source>
        <translation>%1 (the outside-line hold key) and %2 (the speed-dial key) of [%3] are different keys, unless both are 0 (%4): the adapter refuses a key the other one has.</translation>
    </message>
</context>
<context>
    <name>korvanta::TerminalWindow</name>
    <message>
        <source>ターミナル</source>
        <translation>Terminal</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>終了(&amp;E)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>初期化に失敗しました</source>
        <translation>Initialization failed.</translation>
    </message>
</context>
<context>
    <name>korvanta::ThroughputBodDialog</name>
    <message>
        <source>チャンネル追加設定</source>
        <translation>Channel Addition</translation>
    </message>
    <message>
        <source>送受信データとも評価し追加</source>
        <translation>Add on sent and received data</translation>
    </message>
    <message>
        <source>送信データのみ評価し追加</source>
        <translation>Add on sent data only</translation>
    </message>
    <message>
        <source>受信データのみ評価し追加</source>
        <translation>Add on received data only</translation>
    </message>
    <message>
        <source>追加を行なわない</source>
        <translation>Never add</translation>
    </message>
    <message>
        <source>チャンネル削除設定</source>
        <translation>Channel Removal</translation>
    </message>
    <message>
        <source>送受信データとも評価し削除</source>
        <translation>Remove on sent and received data</translation>
    </message>
    <message>
        <source>送信データのみ評価し削除</source>
        <translation>Remove on sent data only</translation>
    </message>
    <message>
        <source>受信データのみ評価し削除</source>
        <translation>Remove on received data only</translation>
    </message>
    <message>
        <source>削除を行なわない</source>
        <translation>Never remove</translation>
    </message>
    <message>
        <source>しきい値</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>％</source>
        <translation>%</translation>
    </message>
    <message>
        <source>有効範囲は0～100(%)です</source>
        <translation>Valid range: 0 to 100%</translation>
    </message>
    <message>
        <source>評価時間</source>
        <translation>Sampling time</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>有効範囲は1～255(秒)です</source>
        <translation>Valid range: 1 to 255 seconds</translation>
    </message>
    <message>
        <source>最小保持時間</source>
        <translation>Minimum hold time</translation>
    </message>
    <message>
        <source>有効範囲は5～1275(秒)です</source>
        <translation>Valid range: 5 to 1275 seconds</translation>
    </message>
    <message>
        <source>ｽﾙｰﾌﾟｯﾄBOD詳細設定</source>
        <translation>Throughput BOD Details</translation>
    </message>
    <message>
        <source>評価方向</source>
        <translation>Measured Traffic</translation>
    </message>
    <message>
        <source>約 %1Kbps</source>
        <translation>approx. %1 kB/s</translation>
    </message>
    <message>
        <source>%1 %2 単位: 画面では %3～%4 %2 と表示します</source>
        <translation>in units of %1 %2: the window shows %3 to %4 %2</translation>
    </message>
</context>
<context>
    <name>korvanta::VersionDialog</name>
    <message>
        <source>バージョン情報</source>
        <translation>Version Information</translation>
    </message>
    <message>
        <source>ＫＯＲＶＡＮ－ＴＡ設定ユーティリティ</source>
        <translation>KORVAN-TA Settings Utility</translation>
    </message>
    <message>
        <source>Ｖｅｒｓｉｏｎ ２．３０</source>
        <translation>Version 2.30</translation>
    </message>
    <message>
        <source>ファームウェアバージョン</source>
        <translation>Firmware Version</translation>
    </message>
</context>
<context>
    <name>korvanta::WorkFile</name>
    <message>
        <source>KORVAN-TA 設定ユーティリティは既に起動しています。
同じ作業ファイル (%1) を使うユーティリティは一つだけ起動できます。</source>
        <translation>The KORVAN-TA Settings Utility is already running.
Only one utility at a time can use the same work file (%1).</translation>
    </message>
</context>
<context>
    <name>korvanta::profile::ManualPage</name>
    <message>
        <source> (新しいファームウェア)</source>
        <translation> (newer firmware)</translation>
    </message>
    <message>
        <source>「%1」の文字一つ</source>
        <translation>one character of &quot;%1&quot;</translation>
    </message>
    <message>
        <source>「%2」の文字で %1 文字まで</source>
        <translation>at most %1 characters of &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1～%2%3</source>
        <translation>%1 to %2%3</translation>
    </message>
    <message>
        <source>1 桁</source>
        <translation>one digit</translation>
    </message>
    <message>
        <source>%1 桁まで</source>
        <translation>written with at most %1 digits</translation>
    </message>
    <message>
        <source>%1、または空</source>
        <translation>%1, or empty</translation>
    </message>
    <message>
        <source>番号 (%1)、サブアドレスがあるときは続けて「*」とサブアドレス (%2)。または空</source>
        <translation>the number, %1, then &quot;*&quot; and the subaddress, %2, when there is one; or empty</translation>
    </message>
    <message>
        <source>ファイル形式</source>
        <translation>File Formats</translation>
    </message>
    <message>
        <source>名前</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>KORVAN-TA ISDN ターミナルアダプターの設定プロファイル</source>
        <translation>settings profile of a KORVAN-TA ISDN terminal adapter</translation>
    </message>
    <message>
        <source>説明</source>
        <translation>DESCRIPTION</translation>
    </message>
    <message>
        <source>プロファイルは、一台の機器のすべての設定を、作業ファイル mail.ini と同じセクションとキーで、一つのテキストファイルに収めたものです。%1 とウィンドウ プログラムの「%2」がこれを書き出し、%3 と「%4」が、異なる設定だけを送って機器をこれに合わせます。同じ設定からはいつも同じバイト列ができます: ファイルには日時がなく、セクションとキーは下の順に並ぶので、プロファイルどうしを比べやすく、版管理にも置けます。</source>
        <translation>A profile holds every setting of one adapter in one text file, in the sections and keys of the work file mail.ini. %1 and the window program&apos;s &quot;%2&quot; write it; %3 and &quot;%4&quot; bring an adapter to it, sending only what differs. The same settings always give the same bytes: the file has no time stamp, and its sections and keys stand in the order below, so profiles compare well and can be kept under version control.</translation>
    </message>
    <message>
        <source>ファイルは UTF-8 のテキストです。行は「[SECTION]」、「KEY=value」、空行、または「;」か「#」で始まるコメントです。名前は大文字と小文字を区別せずに比べ、読むときは設定がどの順に並んでいてもかまいません。値は「=」より後のすべてで、空白も含みます。下のキーはすべて必要ですが、%1 と記したものは別です: ファームウェア 1.20 以前の機器にはそれらがなく、そのような機器への復元はそれらと、そう記した値を飛ばし、それぞれを名指しします。未知のセクションやキー、二度書かれたキー、設定の選択肢・範囲・文字から外れた値、または改行のない最終行があるプロファイルは、その行とキーを示して拒否し、何も送りません。</source>
        <translation>The file is UTF-8 text. A line is &quot;[SECTION]&quot;, &quot;KEY=value&quot;, empty, or a comment beginning with &quot;;&quot; or &quot;#&quot;. Names are compared without regard to case, and settings may stand in any order when read. The value is everything after the &quot;=&quot;, blanks included. Every key below must be there, except those marked %1: an adapter with firmware 1.20 or older lacks them, and a restore onto such an adapter skips them, and the values so marked, and names each. A profile with an unknown section or key, a key given twice, a value outside its setting&apos;s options, range or characters, or a last line without its line break is refused with its line and key, and nothing is sent.</translation>
    </message>
    <message>
        <source>下の各キーには、ウィンドウ プログラムが表示するとおりのウィンドウ、タブ、枠と、取りうる値とそれぞれの意味を記します。</source>
        <translation>Each key below gives its window, tab and frame, as the window program shows them, and the values it takes with what each means.</translation>
    </message>
    <message>
        <source>セクションとキー</source>
        <translation>SECTIONS AND KEYS</translation>
    </message>
    <message>
        <source>機器の機種名。「ATI」への答えのとおりです: KORVAN-TA。</source>
        <translation>The adapter&apos;s model, as it answers &quot;ATI&quot;: KORVAN-TA.</translation>
    </message>
    <message>
        <source>プロファイルを読み取った機器のファームウェア。「AT%I2」への答えのとおりです (「Ver 1.30 01/03/15」)。人が読むためだけのもので、復元は書き込む先の機器のファームウェアに従います。</source>
        <translation>The firmware the profile was read from, as the adapter answers &quot;AT%I2&quot; (&quot;Ver 1.30 01/03/15&quot;). Only for people: a restore goes by the firmware of the adapter it writes to.</translation>
    </message>
    <message>
        <source>設定をまたぐ規則</source>
        <translation>RULES ACROSS SETTINGS</translation>
    </message>
    <message>
        <source>復元は、何かを送る前にこれらを確かめます: まず、機器を読む前にプロファイルだけで (korvanta-cli ではポートを開く前に。機種は機器が名乗ってから)、次に、機器がそのほかに持つ設定 (ファームウェアにない設定) にプロファイルを重ねたもので。どれかに反するプロファイルは、その行、キー、ここに示すメッセージとともに拒否し、何も送りません (korvanta-cli の終了ステータスは 2)。</source>
        <translation>A restore checks these before it sends anything: on the profile alone before the adapter is read (korvanta-cli: before the port is opened, the model once the adapter has named it), then on the profile laid over the settings the adapter keeps beside it (those its firmware lacks). A profile that breaks one is refused with its line, its keys and the message given here, and nothing is sent (korvanta-cli: exit status 2).</translation>
    </message>
    <message>
        <source>互いに妨げ合う設定は、復元が一度で届く順に送ります: TEL3 から TEL2 へ移すナンバー・ディスプレイは、TEL2 で使用にする前に TEL3 で使用しないにし、入れ替わる外線保留キーと短縮ダイヤルキーは、どちらかを設定する前に両方を解除します。</source>
        <translation>A restore sends the settings that block one another in an order that arrives in one run: a number display moved from TEL3 to TEL2 is switched off on TEL3 before it is switched on on TEL2, and a hold key and a short-dial key that trade places are both cleared before either is set.</translation>
    </message>
    <message>
        <source>例</source>
        <translation>EXAMPLE</translation>
    </message>
    <message>
        <source>関連項目</source>
        <translation>SEE ALSO</translation>
    </message>
    <message>
        <source>部分プロファイルは、設定のいくつかだけを収めます。%1 と %2 はこれを受け取り、名指しした設定だけを機器と比べて送り、ほかは機器のままにします。[PROFILE] の機種と版数は省けますが、書けば確かめます。%3 が変更の前に残す控えは、読んだ設定だけの部分プロファイルです (一行目にそう記します)。%4 は、%5 なしでは全体のプロファイルだけを受け取ります。</source>
        <translation>A partial profile holds only some of the settings. %1 and %2 take it, compare and send only the settings it names, and leave the others as the adapter has them. The model and firmware lines of [PROFILE] may be left out; when given, they are checked. The backup %3 keeps before a change is a partial profile of the settings it read (its first line says so). %4 without %5 takes whole profiles only.</translation>
    </message>
</context>
<context>
    <name>korvanta::profile::ProfileFile</name>
    <message>
        <source>ファイルが途中で切れています (最後の行に改行がありません)</source>
        <translation>The file is cut short (its last line has no line break)</translation>
    </message>
    <message>
        <source>UTF-8 でない文字があります</source>
        <translation>Contains characters that are not UTF-8</translation>
    </message>
    <message>
        <source>セクションの行が正しくありません: </source>
        <translation>Malformed section line: </translation>
    </message>
    <message>
        <source>知らないセクションです</source>
        <translation>Unknown section</translation>
    </message>
    <message>
        <source>&quot;キー=値&quot; の行ではありません: </source>
        <translation>Not a &quot;key=value&quot; line: </translation>
    </message>
    <message>
        <source>セクションの前に設定があります</source>
        <translation>Setting before any section</translation>
    </message>
    <message>
        <source>二度目の設定です</source>
        <translation>Setting given twice</translation>
    </message>
    <message>
        <source>知らないキーです</source>
        <translation>Unknown key</translation>
    </message>
    <message>
        <source>「%1」の値として使えません: &quot;%2&quot;</source>
        <translation>Not a valid value for &quot;%1&quot;: &quot;%2&quot;</translation>
    </message>
    <message>
        <source>機種と版数がありません</source>
        <translation>Model and firmware version missing</translation>
    </message>
    <message>
        <source>「%1」がありません (ファイルが途中で切れていませんか)</source>
        <translation>&quot;%1&quot; is missing (is the file cut short?)</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>機種が違います: 設定ファイルは「%1」、機器は「%2」です</source>
        <translation>Wrong model: the profile is for &quot;%1&quot;, the adapter is &quot;%2&quot;</translation>
    </message>
    <message>
        <source>%1: 設定ファイルを書き込めるファイルではありません</source>
        <translation>%1: not a file a profile can be written to</translation>
    </message>
    <message>
        <source>%1: 書き込みを取り消しました</source>
        <translation>%1: writing canceled</translation>
    </message>
    <message>
        <source>%1～%2 の範囲</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>%1 のどれか</source>
        <translation>one of %1</translation>
    </message>
    <message>
        <source>空です (設定がひとつもありません)</source>
        <translation>Empty (no settings at all)</translation>
    </message>
    <message>
        <source>機器のファームウェアにはこの設定がありません</source>
        <translation>the adapter&apos;s firmware lacks the setting</translation>
    </message>
    <message>
        <source>機器のファームウェアにはこの設定の値「%1」がありません</source>
        <translation>the adapter&apos;s firmware lacks the value &quot;%1&quot; of the setting</translation>
    </message>
    <message>
        <source> ([%1] %2=%3 は送りません: %4。機器の値は「%5」のままです)</source>
        <translation> ([%1] %2=%3 is not sent: %4; the adapter keeps &quot;%5&quot;)</translation>
    </message>
    <message>
        <source>UTF-16 のテキストです (設定ファイルは UTF-8 で書きます)</source>
        <translation>UTF-16 text (a settings profile is written in UTF-8)</translation>
    </message>
    <message>
        <source>テキストファイルではありません (NUL バイトがあります)</source>
        <translation>not a text file (it holds NUL bytes)</translation>
    </message>
    <message>
        <source>[%1] %2 は、機器が問い合わせ (ATI) に答える機種名です: プロファイルは、読み取ったのと同じ機種にだけ復元します。</source>
        <translation>[%1] %2 is the model the adapter names when asked (ATI): a profile is restored only onto the model it was read from.</translation>
    </message>
    <message numerus="yes">
        <source>使える文字は %1 で %n 文字まで</source>
        <translation>
            <numerusform>up to %n character of %1</numerusform>
            <numerusform>up to %n characters of %1</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: 作業ファイル %2 そのものです (設定ファイルには別のファイルを指定してください)</source>
        <translation>%1: this is the work file %2 itself (name another file for the profile)</translation>
    </message>
    <message>
        <source>%1 [%2] %3: 機器の応答にこの設定の値がありません</source>
        <translation>%1 [%2] %3: the adapter&apos;s reply holds no value of the setting</translation>
    </message>
    <message>
        <source>機器から読んだ設定</source>
        <translation>the settings read from the adapter</translation>
    </message>
    <message>
        <source>機器から読んだ設定が、書いたファイルから同じに読み戻せません</source>
        <translation>the settings read from the adapter do not read back the same from the file written</translation>
    </message>
    <message>
        <source>%1 にはまだ履歴がありません</source>
        <translation>%1 has no history yet</translation>
    </message>
    <message>
        <source>%1 の履歴は %2 件です: %3 番目はありません</source>
        <translation>%1 has %2 history entries: there is no entry %3</translation>
    </message>
    <message>
        <source>%1 の履歴に「%2」はありません</source>
        <translation>%1 has no history entry &quot;%2&quot;</translation>
    </message>
    <message numerus="yes">
        <source>%1 の履歴の %n 件が「%2」で始まります</source>
        <translation>
            <numerusform>%n history entry of %1 begins with &quot;%2&quot;</numerusform>
            <numerusform>%n history entries of %1 begin with &quot;%2&quot;</numerusform>
        </translation>
    </message>
    <message>
        <source>%1:%2: 「keep = 件数」か「days = 日数」ではありません: %3</source>
        <translation>%1:%2: not &quot;keep = COUNT&quot; or &quot;days = DAYS&quot;: %3</translation>
    </message>
</context>
<context>
    <name>korvanta::sim::SimulatedLink</name>
    <message>
        <source>模擬アダプタ（内蔵）</source>
        <translation>Simulated adapter (built in)</translation>
    </message>
</context>
</TS>
