#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <span>

class UserDialogs;

// What the logging window's "儲存" writes: the chart as a 24-bit BMP (the
// window's own format) or PNG, or the log's samples as CSV.
enum class LogExportFormat { Bmp, Png, Csv };

// The save dialog's filters, BMP first; the default name is kLogExportName.
inline const QString kLogExportFilter =
    QStringLiteral("圖像文件(.bmp) (*.bmp);;PNG (*.png);;CSV (*.csv)");
inline const QString kLogExportName = QStringLiteral("StartingTestFile.bmp");

// By the chosen name's suffix; anything but .png and .csv is a BMP.
LogExportFormat LogExportFormatOf(const QString& path);

// The top-left width x height of `surface` as a picture file.
QByteArray LogChartPicture(const QImage& surface, int width, int height, LogExportFormat format);

// The log as comma-separated text (RFC 4180: CRLF line ends, UTF-8 without
// a byte-order mark): a header line, then one line for each of the 2560
// samples whatever the view shows: its number, the voltage and the current
// as deviation × factor, each the shortest text that reads back to the same
// double. The current is empty beyond sample 2551, where the block ends,
// and either value is empty when its factor is not a finite number.
QByteArray LogCsv(std::span<const std::uint8_t> log);

// Asks for a file name and writes the chart or the log there. Cancelling
// writes nothing; an existing file is replaced only when the user agrees,
// and a failed write leaves it as it was and names the file in a message.
void ExportLog(UserDialogs& dialogs, const QImage& surface, int width, int height,
               std::span<const std::uint8_t> log);
