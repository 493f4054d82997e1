// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Captions of the data port dialogs, each under its window's name for the
// translations. The settings' own captions stand in the tables of
// dataportmodel.cpp.

#include "link/session/text.h"

namespace korvanta::dataport::text {

inline constexpr Text kDataPortTitle{"korvanta::DataPortDialog",
                                     QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "データポート設定")};
inline constexpr Text kBodTitle{"korvanta::ThroughputBodDialog",
                                QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "ｽﾙｰﾌﾟｯﾄBOD詳細設定")};
inline constexpr Text kBapTitle{"korvanta::BapDialog", QT_TRANSLATE_NOOP("korvanta::BapDialog", "BACP/BAP詳細設定")};

inline constexpr Text kRegister{"korvanta::SettingsDialog", QT_TRANSLATE_NOOP("korvanta::SettingsDialog", "登録")};
inline constexpr Text kCancel{"korvanta::SettingsDialog", QT_TRANSLATE_NOOP("korvanta::SettingsDialog", "キャンセル")};
inline constexpr Text kHelp{"korvanta::SettingsDialog", QT_TRANSLATE_NOOP("korvanta::SettingsDialog", "ヘルプ")};

inline constexpr Text kNumberFrame{"korvanta::DataPortDialog", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "番号登録")};

inline constexpr Text kBapDetail{"korvanta::DataPortDialog",
                                 QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "ＢＡＣＰ／ＢＡＰ詳細設定")};
inline constexpr Text kBodDetail{"korvanta::DataPortDialog",
                                 QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "スループットＢＯＤ詳細設定")};
inline constexpr Text kCommonTab{"korvanta::DataPortDialog", QT_TRANSLATE_NOOP("korvanta::DataPortDialog", "共通  ")};

inline constexpr Text kDirection{"korvanta::ThroughputBodDialog",
                                 QT_TRANSLATE_NOOP("korvanta::ThroughputBodDialog", "評価方向")};
inline constexpr Text kBapFrame{"korvanta::BapDialog", QT_TRANSLATE_NOOP("korvanta::BapDialog", "ＢＡＰリクエスト対処方法")};
inline constexpr Text kRefuse{"korvanta::BapDialog", QT_TRANSLATE_NOOP("korvanta::BapDialog", "拒否する")};
inline constexpr Text kAnswer{"korvanta::BapDialog", QT_TRANSLATE_NOOP("korvanta::BapDialog", "自動応答")};

} // namespace korvanta::dataport::text
