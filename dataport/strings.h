#pragma once

// Captions of the data port dialogs. The settings' own captions stand in the
// tables of dataportmodel.cpp.

#include <QString>

namespace korvanta::dataport::text {

inline const QString kDataPortTitle = QStringLiteral("データポート設定");
inline const QString kBodTitle = QStringLiteral("ｽﾙｰﾌﾟｯﾄBOD詳細設定");
inline const QString kBapTitle = QStringLiteral("BACP/BAP詳細設定");

inline const QString kRegister = QStringLiteral("登録");
inline const QString kCancel = QStringLiteral("キャンセル");
inline const QString kHelp = QStringLiteral("ヘルプ");

inline const QString kNumberFrame = QStringLiteral("番号登録");

inline const QString kBapDetail = QStringLiteral("ＢＡＣＰ／ＢＡＰ詳細設定");
inline const QString kBodDetail = QStringLiteral("スループットＢＯＤ詳細設定");
inline const QString kCommonTab = QStringLiteral("共通  ");

inline const QString kDirection = QStringLiteral("評価方向");
inline const QString kBapFrame = QStringLiteral("ＢＡＰリクエスト対処方法");
inline const QString kRefuse = QStringLiteral("拒否する");
inline const QString kAnswer = QStringLiteral("自動応答");

} // namespace korvanta::dataport::text
