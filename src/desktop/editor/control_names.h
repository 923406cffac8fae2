#pragma once

// Object names of the editor's controls and menu entries that the code looks up by name. The
// window's layout tables and its tests find controls by these names; code elsewhere uses the
// constants below so that what a control is stays readable where it is used.

#include <QString>

namespace desktop::names {

inline const QString kPreviewButton = QStringLiteral("プレビュー");
inline const QString kPrintButton = QStringLiteral("印刷");
inline const QString kBorderButton = QStringLiteral("縁取");
inline const QString kCandidateButton = QStringLiteral("前候補");
inline const QString kPositionLabel = QStringLiteral("Label6");

// The labels that show the chosen product-name and price fonts, which sit under other names in
// the two formats (the small format's Label8 is the caption of the second product-name line).
inline QString nameFontLabel(bool largeFormat)
{
    return largeFormat ? QStringLiteral("Label8") : QStringLiteral("Label9");
}
inline QString priceFontLabel(bool largeFormat)
{
    return largeFormat ? QStringLiteral("Label9") : QStringLiteral("Label10");
}

// Entries of the file menu.
inline const QString kNewMenu = QStringLiteral("KURIA");
inline const QString kOpenMenu = QStringLiteral("f_open");
inline const QString kSaveMenu = QStringLiteral("U_SAVE");
inline const QString kSaveAsMenu = QStringLiteral("N_SAVE");
inline const QString kPreviewMenu = QStringLiteral("M_プレビュー");
inline const QString kPrintMenu = QStringLiteral("P_印刷");
inline const QString kCalibrationMenu = QStringLiteral("C_印刷位置の調整");
inline const QString kTagTextMenu = QStringLiteral("T_棚札の表示");
inline const QString kExitMenu = QStringLiteral("MNUEXIT");
// Filling the sheet from a product list.
inline const QString kImportMenu = QStringLiteral("I_IMPORT");

}  // namespace desktop::names
