#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

// Words of a PDF as poppler's pdftotext -bbox reads them, in points.
struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
    double centreX() const { return (xMin + xMax) / 2; }
};

// Qt's text map names a glyph the font shares between a radical and an
// ideograph by its lowest code point (目 becomes ⽬): fold radicals back.
inline QString FoldRadicals(const QString& text)
{
    QString folded;
    for (QChar c : text) {
        if (c.unicode() >= 0x2F00 && c.unicode() <= 0x2FDF)
            folded += QString(c).normalized(QString::NormalizationForm_KC);
        else if (c.unicode() == 0x2ED1)
            folded += QChar(0x9577); // 長
        else
            folded += c;
    }
    return folded;
}

inline QString RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline std::vector<PdfWord> PdfWords(const QString& pdf)
{
    const QString html = RunTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                       "yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        words.push_back({FoldRadicals(text), m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}
