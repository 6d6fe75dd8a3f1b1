#pragma once

#include <QString>

// The maker as the version window and the web page link name it.
inline const QString kMakerCompanyName = QStringLiteral("Quorvane Instruments Co., Ltd.");
inline const QString kMakerWebAddress = QStringLiteral("https://www.quorvane.example/");

// The instrument's manual: a path from the root of the file system, not from
// the program's folder.
inline const QString kManualPath = QStringLiteral("/PdfDoc/Handbook.pdf");
