#include "logexport.h"

#include "instrumentlog.h"
#include "savefile.h"
#include "userdialogs.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

QByteArray ValueText(std::optional<int> deviation, float factor)
{
    if (!deviation || !std::isfinite(factor))
        return {};
    return QByteArray::number(double(*deviation) * double(factor), 'g',
                              QLocale::FloatingPointShortest);
}

} // namespace

LogExportFormat LogExportFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return LogExportFormat::Png;
    if (suffix == QLatin1String("csv"))
        return LogExportFormat::Csv;
    return LogExportFormat::Bmp;
}

QByteArray LogChartPicture(const QImage& surface, int width, int height, LogExportFormat format)
{
    QImage picture = surface.copy(0, 0, std::max(width, 1), std::max(height, 1));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == LogExportFormat::Png) {
        picture.save(&buffer, "PNG");
    } else {
        // Without alpha Qt writes a BMP of 24 bits per pixel.
        picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    }
    return bytes;
}

QByteArray LogCsv(std::span<const std::uint8_t> log)
{
    const float voltageFactor = LogVoltageFactor(log);
    const float currentFactor = LogCurrentFactor(log);
    QByteArray csv = QStringLiteral("樣本,電壓 (V),電流 (A)\r\n").toUtf8();
    csv.reserve(csv.size() + kLogSampleCount * 32);
    for (int k = 0; k < kLogSampleCount; ++k) {
        csv += QByteArray::number(k);
        csv += ',';
        csv += ValueText(LogDeviation(log, LogChannel::Voltage, k), voltageFactor);
        csv += ',';
        csv += ValueText(LogDeviation(log, LogChannel::Current, k), currentFactor);
        csv += "\r\n";
    }
    return csv;
}

void ExportLog(UserDialogs& dialogs, const QImage& surface, int width, int height,
               std::span<const std::uint8_t> log)
{
    const QString path =
        dialogs.saveFileNameOverwriting(QString(), kLogExportFilter, kLogExportName);
    if (path.isEmpty())
        return;
    const LogExportFormat format = LogExportFormatOf(path);
    const QByteArray bytes = format == LogExportFormat::Csv
                                 ? LogCsv(log)
                                 : LogChartPicture(surface, width, height, format);
    const SaveResult saved = SaveFile(path, bytes);
    if (saved.ok())
        return;
    dialogs.message(QStringLiteral("無法寫入檔案：%1\n%2")
                        .arg(QDir::toNativeSeparators(path), SaveFailureReason(saved)),
                    UserDialogs::Icon::Error);
}
