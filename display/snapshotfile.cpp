#include "snapshotfile.h"

#include "measurementrecord.h"
#include "regularfile.h"
#include "savefile.h"

#include <QDir>
#include <QFile>

#include <cstring>

// A snapshot file ("*.zqm") is the measurement record byte for byte: 8052
// bytes, no header, version or checksum. Bytes 0-2529 are the instrument's
// measurement data (little-endian floats and 16-bit samples, laid out in
// MeasurementRecord), bytes 2530-8051 the Reserved area, kept as it came.

namespace {

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The system's reason goes on a second line for whoever has to sort it out.
QString WithReason(const QString& text, const QString& reason)
{
    return reason.isEmpty() ? text : text + QLatin1Char('\n') + reason;
}

} // namespace

SnapshotFileResult SaveSnapshotFile(const QString& path, const MeasurementRecord& record)
{
    const SaveResult saved =
        SaveFile(path, QByteArray::fromRawData(reinterpret_cast<const char*>(&record),
                                               qsizetype(kMeasurementRecordSize)));
    if (saved.ok())
        return {};
    const QString headline = saved.failure == SaveFailure::CannotCreate
                                 ? QStringLiteral("無法建立檔案：%1")
                                 : QStringLiteral("寫入檔案失敗：%1");
    return {WithReason(headline.arg(Shown(path)), SaveFailureReason(saved))};
}

SnapshotFileResult OpenSnapshotFile(const QString& path, MeasurementRecord& record)
{
    // Opened without blocking and only as a regular file: a named pipe chosen
    // in the open dialog or named on the command line would otherwise hold
    // the program until something writes to it.
    QFile file(path);
    int errorNumber = 0;
    switch (OpenRegularFile(file, QIODevice::ReadOnly, &errorNumber)) {
    case FileOpenError::None:
        break;
    case FileOpenError::NotRegular:
        return {QStringLiteral("無法開啟檔案，這不是一般檔案：%1").arg(Shown(path))};
    case FileOpenError::Missing:
    case FileOpenError::Unreadable:
        return {WithReason(QStringLiteral("無法開啟檔案：%1").arg(Shown(path)),
                           SystemReason(errorNumber))};
    }

    // Read into a copy so that a short or failing read leaves the shown
    // measurement whole.
    MeasurementRecord read;
    char* bytes = reinterpret_cast<char*>(&read);
    qint64 got = 0;
    const auto size = static_cast<qint64>(kMeasurementRecordSize);
    while (got < size) {
        const qint64 n = file.read(bytes + got, size - got);
        if (n < 0)
            return {WithReason(QStringLiteral("讀取檔案失敗：%1").arg(Shown(path)),
                               file.errorString())};
        if (n == 0)
            return {QStringLiteral("檔案不完整，測量檔案應有 %1 位元組：%2")
                        .arg(kMeasurementRecordSize)
                        .arg(Shown(path))};
        got += n;
    }
    SanitiseMeasurementValues(read);
    std::memcpy(&record, &read, sizeof record);
    return {};
}
