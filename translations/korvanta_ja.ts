<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>korvanta::LineOptions</name>
    <message>
        <source>a port from COM1 to COM9, got &quot;%1&quot;</source>
        <translation>COM1 から COM9 のポートを指定してください (指定: &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>expected COMn=PATH with n from 1 to 9, got &quot;%1&quot;</source>
        <translation>COMn=パス (n は 1 から 9) の形で指定してください (指定: &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no device, and ports.conf (%2) names no port</source>
        <translation>&quot;%1&quot; はデバイスではなく、ports.conf (%2) にはポートの名前がありません</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no device, nor a name in ports.conf (%2), which names %3</source>
        <translation>&quot;%1&quot; はデバイスでも ports.conf (%2) の名前でもありません。ports.conf の名前: %3</translation>
    </message>
    <message>
        <source>  --simulate         attach the built-in simulated adapter to every port
</source>
        <translation>  --simulate         すべてのポートに内蔵の模擬アダプタをつなぎます
</translation>
    </message>
    <message>
        <source>  --workfile PATH    the settings work file (default: one for each port,
                     workfiles/PORT.ini in $XDG_DATA_HOME/korvanta/, or
                     beside the program when it runs from its build tree
                     or is a copy that keeps its mail.ini there); one
                     running program per work file
</source>
        <translation>  --workfile PATH    設定の作業ファイル (既定: ポートごとに一つ、
                     $XDG_DATA_HOME/korvanta/ の workfiles/PORT.ini。
                     ビルドしたフォルダから動かすとき、または mail.ini を
                     そばに置いたコピーのときはプログラムと同じフォルダ)。
                     一つの作業ファイルを使うプログラムは一度に一つだけです
</translation>
    </message>
    <message>
        <source>  --workfile PATH    the settings work file (default: mail.ini in
                     $XDG_DATA_HOME/korvanta/, or beside the program when
                     it runs from its build tree or is a copy that keeps
                     its mail.ini there); one running program per work file
</source>
        <translation>  --workfile PATH    設定の作業ファイル (既定: $XDG_DATA_HOME/korvanta/ の
                     mail.ini。ビルドしたフォルダから動かすとき、または
                     mail.ini をそばに置いたコピーのときはプログラムと
                     同じフォルダ)。一つの作業ファイルを使うプログラムは
                     一度に一つだけです
</translation>
    </message>
    <message>
        <source>  --log FILE         append every line sent to the adapter and every reply
                     to FILE, one a line, time-stamped
</source>
        <translation>  --log FILE         機器へ送った行と受けた応答をすべて、一行ずつ
                     時刻付きで FILE に追記します
</translation>
    </message>
</context>
<context>
    <name>korvanta::cli::Command</name>
    <message>
        <source>identifying the adapter on %1</source>
        <translation>%1 の機器を確認しています</translation>
    </message>
    <message>
        <source>ask the adapter who it is (&quot;ATE1V1&quot;, &quot;ATI&quot;,
&quot;AT%I2&quot;); prints its model and firmware,
tab-separated</source>
        <translation>機器に問い合わせ (&quot;ATE1V1&quot;, &quot;ATI&quot;, &quot;AT%I2&quot;)、
機種とファームウェアをタブ区切りで表示します</translation>
    </message>
    <message>
        <source>identify takes no arguments</source>
        <translation>identify は引数をとりません</translation>
    </message>
    <message>
        <source>no command</source>
        <translation>コマンドがありません</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>知らないコマンドです: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--%1 belongs to %2</source>
        <translation>--%1 は %2 のオプションです</translation>
    </message>
    <message>
        <source>ports takes no arguments</source>
        <translation>ports は引数をとりません</translation>
    </message>
    <message>
        <source>no serial devices found</source>
        <translation>シリアルデバイスが見つかりません</translation>
    </message>
    <message>
        <source>read every setting into a profile FILE
(&quot;-&quot;: standard output)</source>
        <translation>すべての設定を設定ファイル FILE に読み込みます
(&quot;-&quot;: 標準出力)</translation>
    </message>
    <message>
        <source>backup takes one FILE</source>
        <translation>backup には FILE を一つ指定します</translation>
    </message>
    <message>
        <source>reading the settings</source>
        <translation>設定を読み取っています</translation>
    </message>
    <message>
        <source>print the changes, send none</source>
        <translation>変更を表示し、何も送信しません</translation>
    </message>
    <message>
        <source>do not store what was sent</source>
        <translation>送った設定を登録しません</translation>
    </message>
    <message>
        <source>restore takes one FILE</source>
        <translation>restore には FILE を一つ指定します</translation>
    </message>
    <message>
        <source>read back, these differ from the profile:</source>
        <translation>読み返した設定が設定ファイルと違います:</translation>
    </message>
    <message>
        <source>diff takes FILE, or FILE1 FILE2</source>
        <translation>diff には FILE か FILE1 FILE2 を指定します</translation>
    </message>
    <message>
        <source>starting</source>
        <translation>開始しています</translation>
    </message>
    <message>
        <source>nothing was sent</source>
        <translation>何も送信していません</translation>
    </message>
    <message>
        <source>the log cannot be opened: </source>
        <translation>ログを開けません: </translation>
    </message>
    <message>
        <source>identifying the adapter</source>
        <translation>機器を確認しています</translation>
    </message>
    <message>
        <source>nothing was changed</source>
        <translation>何も変更していません</translation>
    </message>
    <message>
        <source>storing the settings</source>
        <translation>設定を登録しています</translation>
    </message>
    <message>
        <source>stopped by %1</source>
        <translation>%1 で中断しました</translation>
    </message>
    <message>
        <source>stopped as the log cannot be written (%1)</source>
        <translation>ログに書き込めないので中断しました (%1)</translation>
    </message>
    <message>
        <source>%1 while %2: %3; running the same command again completes it</source>
        <translation>%1 (%2): %3。同じコマンドをもう一度実行すると完了します</translation>
    </message>
    <message>
        <source>standard output cannot be written: </source>
        <translation>標準出力に書き込めません: </translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>標準入力</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>nothing was changed, %1 was not written</source>
        <translation>何も変更していません。%1 は書き込んでいません</translation>
    </message>
    <message>
        <source>writing %1</source>
        <translation>%1 に書き込んでいます</translation>
    </message>
    <message>
        <source>no backup of the adapter&apos;s settings first</source>
        <translation>先に機器の設定の控えを保存しません</translation>
    </message>
    <message>
        <source>skipped, %1: %2 [%3] %4</source>
        <translation>送信しません、%1: %2 [%3] %4</translation>
    </message>
    <message>
        <source>no backup of the adapter&apos;s settings, so nothing was sent: %1</source>
        <translation>機器の設定の控えを保存できないので、何も送信しません: %1</translation>
    </message>
    <message>
        <source>the settings where FILE differs from the adapter
(adapter → FILE), or FILE2 from FILE (FILE →
FILE2); status 0 same, 1 different, 2 trouble</source>
        <translation>設定ファイル FILE と機器で違う設定 (機器 → FILE)、
または FILE2 と FILE で違う設定 (FILE → FILE2)。
ステータス 0 同じ、1 違う、2 問題あり</translation>
    </message>
    <message>
        <source>have the adapter store its settings (&quot;AT&amp;W0&amp;W1&quot;),
as a restore --no-store left them</source>
        <translation>機器に設定を登録させます (&quot;AT&amp;W0&amp;W1&quot;)。
restore --no-store で残した登録に使います</translation>
    </message>
    <message>
        <source>store takes no arguments</source>
        <translation>store は引数をとりません</translation>
    </message>
    <message>
        <source>Try &apos;korvanta-cli --help&apos;.</source>
        <translation>詳しくは &apos;korvanta-cli --help&apos; を見てください。</translation>
    </message>
    <message>
        <source>the work file cannot be written: %1</source>
        <translation>作業ファイルに書き込めません: %1</translation>
    </message>
    <message>
        <source>stored</source>
        <translation>記憶させました</translation>
    </message>
    <message>
        <source>%1; the report could not be written: %2</source>
        <translation>%1。ただし結果を書き出せませんでした: %2</translation>
    </message>
    <message>
        <source>--language takes ja, en or c, got &quot;%1&quot;</source>
        <translation>--language には ja, en, c のどれかを指定します: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>standard output cannot be written, so nothing was sent: </source>
        <translation>標準出力に書き込めないので、何も送っていません: </translation>
    </message>
    <message>
        <source>restored and stored</source>
        <translation>復元して記憶させました</translation>
    </message>
    <message>
        <source>restored, not stored</source>
        <translation>復元しました (記憶はさせていません)</translation>
    </message>
    <message numerus="yes">
        <source>some of the %n change(s) may have been sent, none was stored</source>
        <translation>
            <numerusform>%n 件の変更の一部を送ったかもしれません。記憶はさせていません</numerusform>
        </translation>
    </message>
    <message>
        <source>the serial devices found, one a line, tab-separated:
path, by-id name, description, manufacturer, and
whether this user may open it; then the ports named
in ports.conf: name, address, &quot;ports.conf&quot;, &quot;-&quot;,
and &quot;network&quot; or the device&apos;s access</source>
        <translation>見つかったシリアルデバイスを一行ずつタブ区切りで:
パス、by-id 名、説明、製造元、
このユーザーが開けるかどうか。続いて ports.conf で
名前を付けたポート: 名前、アドレス、&quot;ports.conf&quot;、&quot;-&quot;、
&quot;network&quot; またはデバイスを開けるかどうか</translation>
    </message>
    <message>
        <source>the adapter acknowledged the store (&quot;AT&amp;W0&amp;W1&quot;)</source>
        <translation>機器が記憶 (&quot;AT&amp;W0&amp;W1&quot;) を受け付けました</translation>
    </message>
    <message>
        <source>the store (&quot;AT&amp;W0&amp;W1&quot;) was sent and not acknowledged: the adapter may or may not keep the changes; run the same command again</source>
        <translation>記憶 (&quot;AT&amp;W0&amp;W1&quot;) を送りましたが応答がありません: 機器が変更を保つかどうかは分かりません。同じコマンドをもう一度実行してください</translation>
    </message>
    <message>
        <source>the store (&quot;AT&amp;W0&amp;W1&quot;) was not sent: nothing was stored</source>
        <translation>記憶 (&quot;AT&amp;W0&amp;W1&quot;) は送っていません: 何も記憶させていません</translation>
    </message>
    <message>
        <source>--deadline-scale takes a number from 0.01 to 100, got &quot;%1&quot;</source>
        <translation>--deadline-scale には 0.01 から 100 までの数を指定します (指定: &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>not in the profile (its firmware had none), left as the adapter has them:
%1</source>
        <translation>プロファイルにない設定 (そのファームウェアにはありません)。機器の値のままにします:
%1</translation>
    </message>
    <message numerus="yes">
        <source>writing %n change(s)</source>
        <translation>
            <numerusform>%n 件の変更を書き込み中</numerusform>
        </translation>
    </message>
    <message>
        <source>reading the settings back</source>
        <translation>設定を読み返し中</translation>
    </message>
    <message numerus="yes">
        <source>%1 of the %n change(s) acknowledged, %2 sent without an answer, %3 not sent</source>
        <translation>
            <numerusform>%n 件の変更のうち %1 件を機器が受け付け、%2 件は送って応答なし、%3 件は未送信</numerusform>
        </translation>
    </message>
    <message>
        <source>what the adapter took was stored</source>
        <translation>機器が受け付けた分は記憶させました</translation>
    </message>
    <message>
        <source>the restore failed on the line while %1: %2; %3; running the same command again completes it</source>
        <translation>%1に回線の失敗で復元が途中で終わりました: %2。%3。同じコマンドをもう一度実行すれば完了します</translation>
    </message>
    <message>
        <source>bring the adapter to the profile FILE: prints
each change, saves the adapter&apos;s settings to a
backup, sends only the changes, reads back and
stores (&quot;AT&amp;W0&amp;W1&quot;); --dry-run: print only;
--no-store: leave the store to a later run;
--no-backup: no backup first; --merge: FILE may
hold any of the settings, the others are left
as they are</source>
        <translation>機器をプロファイル FILE に合わせます: 変更を
一つずつ表示し、機器の設定を控えに保存し、
変更だけを送り、読み返して記憶させます
(&quot;AT&amp;W0&amp;W1&quot;)。--dry-run: 表示だけ。
--no-store: 記憶は後の実行に任せます。
--no-backup: 控えを取りません。--merge: FILE は
設定のいくつかだけでよく、ほかは機器の
ままにします</translation>
    </message>
    <message>
        <source>FILE holds only some settings</source>
        <translation>FILE は設定のいくつかだけを収めます</translation>
    </message>
    <message>
        <source>%1: no such setting (SECTION.KEY or SECTION, as in a profile: korvanta-profile(5))</source>
        <translation>%1: そのような設定はありません (プロファイルと同じ SECTION.KEY か SECTION: korvanta-profile(5))</translation>
    </message>
    <message>
        <source>print settings as their windows show them, each
with its raw value: NAME is SECTION.KEY or a
SECTION (as in profiles); none: every setting,
by window. Reads only what holds them</source>
        <translation>設定をウィンドウの表示どおりに、生の値を添えて
表示します: NAME は SECTION.KEY か SECTION
(プロファイルと同じ)。なし: すべての設定を
ウィンドウごとに。それを持つ所だけを読みます</translation>
    </message>
    <message>
        <source>%1, firmware %2</source>
        <translation>%1、ファームウェア %2</translation>
    </message>
    <message>
        <source>change the named settings alone (NAME as
SECTION.KEY, VALUE raw or as its window shows
it), as a restore --merge of them: the rules
checked, a backup first, only what differs sent,
read back and stored</source>
        <translation>名指しした設定だけを変えます (NAME は
SECTION.KEY、VALUE は生の値かウィンドウの
表示どおり)。それらの restore --merge として:
規則を確かめ、先に控えを取り、異なるものだけを
送り、読み返して記憶させます</translation>
    </message>
    <message>
        <source>set takes NAME=VALUE, one or more</source>
        <translation>set には NAME=VALUE を一つ以上指定します</translation>
    </message>
    <message>
        <source>set takes NAME=VALUE, got &quot;%1&quot;</source>
        <translation>set には NAME=VALUE を指定します (指定: &quot;%1&quot;)</translation>
    </message>
    <message>
        <source>%1: set takes one setting, SECTION.KEY</source>
        <translation>%1: set には設定を一つずつ SECTION.KEY で指定します</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 が二度指定されています</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is no value of %3%4</source>
        <translation>%1: &quot;%2&quot; は「%3」の値ではありません%4</translation>
    </message>
    <message>
        <source>the command line</source>
        <translation>コマンドライン</translation>
    </message>
    <message>
        <source>the adapter&apos;s firmware cannot take it, so nothing was sent</source>
        <translation>機器のファームウェアが受け付けないため、何も送っていません</translation>
    </message>
    <message>
        <source>every setting</source>
        <translation>すべての設定</translation>
    </message>
    <message numerus="yes">
        <source>%n setting(s): %1</source>
        <translation>
            <numerusform>%n 件の設定: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>list the adapter&apos;s settings as they were before
each change, newest first: when, which program,
what change; --prune: remove what the retention
(history.conf) does not keep; rollback brings
one back</source>
        <translation>変更のたびに控えた変更前の機器の設定を新しい順に
表示します: 日時、プログラム、変更内容。--prune:
保持設定 (history.conf) で残さない控えを削除。
rollback で控えの設定に戻せます</translation>
    </message>
    <message>
        <source>remove the entries the retention does not keep</source>
        <translation>保持設定で残さない控えを削除する</translation>
    </message>
    <message>
        <source>history takes no arguments</source>
        <translation>history は引数を取りません</translation>
    </message>
    <message numerus="yes">
        <source>%n entry(ies) removed</source>
        <translation>
            <numerusform>%n 件の控えを削除しました</numerusform>
        </translation>
    </message>
    <message>
        <source>no change of this adapter is on record (%1)</source>
        <translation>この機器の変更の記録はありません (%1)</translation>
    </message>
    <message>
        <source>bring the adapter back to its settings before
the latest change, or before ENTRY (a number of
history, 1 the newest, or an entry&apos;s name), as a
restore --merge of that entry: it keeps an entry
of its own, so a rollback is undone by another</source>
        <translation>機器の設定を直前の変更 (または ENTRY: history の
番号 (1 が最新) か控えの名前) の前の状態に戻します。
控えの restore --merge として行い、それ自身も控えを
残すので、rollback はもう一度の rollback で取り消せます</translation>
    </message>
    <message>
        <source>rollback takes one ENTRY at most</source>
        <translation>rollback が取る ENTRY は一つまでです</translation>
    </message>
    <message>
        <source>back to before %1 (%2, %3)</source>
        <translation>%1 の前の状態に戻します (%2, %3)</translation>
    </message>
    <message>
        <source>the adapter&apos;s settings before the change: </source>
        <translation>変更前の機器の設定: </translation>
    </message>
    <message>
        <source>Usage: korvanta-cli [options] COMMAND [ARGUMENTS]
The KORVAN-TA settings utility on the command line: results on standard
output, messages on standard error. Exit status 0 done, 1 the adapter or the
line failed, 2 wrong usage or a file that cannot be used, 128 + the signal&apos;s
number when a signal ended it.

Options:
  --port PORT        the adapter&apos;s port: COMn (COMn is /dev/ttyS(n-1)), a
                     device path, rfc2217://HOST:PORT, tcp://HOST:PORT,
                     the same within TLS (rfc2217+tls://, tcp+tls://),
                     ssh://[USER@]HOST[:PORT] or a name from ports.conf;
                     COM1 when none is named;
                     --port COMn=PORT makes COMn lead to PORT and uses it
%1  --json             ports, identify, diff, restore and store print one JSON
                     document on standard output instead of text
  --prefix-port      each change line of diff and restore begins with the
                     port, as runs in parallel are told apart
  --language LANG    the messages&apos; language whatever the locale: ja, en,
                     or c (the texts as written, for scripts)
  --deadline-scale F every deadline times F (0.01 to 100): over a slow
                     line or a far console server, e.g. 3
  -h, --help         this text
  -v, --version      the version

Commands:
</source>
        <translation>使い方: korvanta-cli [オプション] COMMAND [引数]
KORVAN-TA 設定ユーティリティのコマンドライン版: 結果は標準出力に、
メッセージは標準エラー出力に出します。終了ステータスは 0 完了、
1 機器または回線の失敗、2 使い方の誤りまたは使えないファイル、
シグナルで終わったときは 128 + シグナルの番号。

オプション:
  --port PORT        機器のポート: COMn (COMn は /dev/ttyS(n-1))、
                     デバイスのパス、rfc2217://ホスト:ポート、
                     tcp://ホスト:ポート、その TLS 版 (rfc2217+tls://、
                     tcp+tls://)、ssh://[ユーザー@]ホスト[:ポート]、
                     または ports.conf の名前。
                     指定がなければ COM1。--port COMn=PORT で
                     COMn を PORT につなぎ、それを使います
%1  --json             ports, identify, diff, restore, store の結果を
                     標準出力に JSON 文書一つで出します
  --prefix-port      diff と restore の変更の行の頭にポートを付けます。
                     並行して動かした結果を見分けるためです
  --language LANG    ロケールによらないメッセージの言語: ja, en、
                     または c (書かれたままの文。スクリプト向け)
  --deadline-scale F 期限をすべて F 倍にします (0.01 から 100)。
                     遅い回線や遠いコンソールサーバーに。例: 3
  -h, --help         この説明
  -v, --version      バージョン

コマンド:
</translation>
    </message>
    <message>
        <source>to finish this rollback, name its entry: korvanta-cli rollback %1</source>
        <translation>このロールバックを終えるには、その履歴を指定してください: korvanta-cli rollback %1</translation>
    </message>
    <message numerus="yes">
        <source>dry run: nothing was sent; %n setting(s) would change</source>
        <translation>
            <numerusform>試行: 何も送っていません。変わる設定は %n 件です</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n setting(s) changed</source>
        <translation>
            <numerusform>%n 件の設定を変更しました</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, not stored: the adapter forgets it when switched off unless `korvanta-cli store` runs first</source>
        <translation>%1。保存していません: `korvanta-cli store` を実行しないと、機器の電源を切ったときに失われます</translation>
    </message>
    <message>
        <source>%1 and stored</source>
        <translation>%1。保存しました</translation>
    </message>
    <message>
        <source>%1 and stored; rollback undoes it</source>
        <translation>%1。保存しました (rollback で元に戻せます)</translation>
    </message>
    <message>
        <source>the adapter stored its settings</source>
        <translation>機器は設定を保存しました</translation>
    </message>
</context>
</TS>
