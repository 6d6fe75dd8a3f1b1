// A settings file of any content, read as the program reads "SysSet.ini" and
// "EnterInfo.ini": the lookups, the settings built from them, and a change
// of one key, which must read back as written and leave every other key as
// it was.
//
// Input: which key to change and its new value (a byte each), then the
// file's bytes.
#include "appearancesettings.h"
#include "fuzzfiles.h"
#include "fuzzinput.h"
#include "inidocument.h"
#include "inifile.h"
#include "losslessutf8.h"
#include "portmap.h"
#include "recordsettings.h"
#include "reportinfo.h"

#include <QFile>

#include <array>
#include <cstdlib>
#include <utility>

namespace {

// Keys the program reads and writes.
const std::array<std::pair<const char*, const char*>, 20> kKeys{{
    {"CommBaudrate", "Baudrate"}, {"CommPort", "Port"},          {"CommAddress", "Address"},
    {"SkinSet", "Skin"},          {"WaveSet", "WaveBackground"}, {"WaveSet", "ScaleColor"},
    {"RecordSet", "Ch0"},         {"RecordSet", "Ch5"},          {"RecordSet", "SampingSetp"},
    {"RecordSet", "SaveSetp"},    {"RecordSet", "TInCommNO"},    {"PortMap", "COM7"},
    {"PortMap", "COM7Id"},        {"PrintInfo", "ProjectName"},  {"PrintInfo", "company"},
    {"PrintInfo", "conner"},      {"PrintInfo", "date"},         {"PrintInfo", "temperature"},
    {"PrintInfo", "units"},       {"printinfo", "UNITS"},
}};

const std::array<const char*, 6> kValues{"2", "", "115200", "/dev/pts/7", "公司 名稱", "-1"};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void ChangeOneKey(const QByteArray& bytes, std::uint8_t which, std::uint8_t value)
{
    IniDocument document(bytes);
    std::array<std::optional<QString>, kKeys.size()> before;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        before[i] = document.value(QString::fromLatin1(kKeys[i].first),
                                   QString::fromLatin1(kKeys[i].second));
        document.section(QString::fromLatin1(kKeys[i].first));
    }
    const std::size_t changed = which % kKeys.size();
    const QString section = QString::fromLatin1(kKeys[changed].first);
    const QString key = QString::fromLatin1(kKeys[changed].second);
    const QString text = QString::fromUtf8(kValues[value % kValues.size()]);
    document.setValue(section, key, text);

    const IniDocument reread(document.bytes());
    Check(reread.value(section, key) == text);
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        const QString s = QString::fromLatin1(kKeys[i].first);
        const QString k = QString::fromLatin1(kKeys[i].second);
        if (s.compare(section, Qt::CaseInsensitive) == 0
            && k.compare(key, Qt::CaseInsensitive) == 0)
            continue;
        Check(reread.value(s, k) == before[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t which = in.byte();
    const std::uint8_t value = in.byte();
    const QByteArray bytes = in.rest();

    ChangeOneKey(bytes, which, value);

    // The same bytes as both files; a new name each time, so the shared
    // store never serves an earlier input.
    static int serial = 0;
    const QString path = FuzzFolder() + QStringLiteral("/SysSet%1.ini").arg(++serial);
    WriteFuzzFile(path, bytes);
    {
        const IniFile file(path);
        const RecordSettings record = ReadRecordSettings(file);
        Check(record.sampleStep >= -1 && record.saveInterval >= -1);
        const auto skin = SavedSkin(file);
        Check(!skin || (*skin >= 0 && *skin < kSkinChoices));
        const auto background = SavedChartBackground(file);
        const auto grid = SavedChartGrid(file);
        Check((!background || *background >= 0) && (!grid || *grid >= 0));
        const ReportInfo info = ReadReportInfo(file);
        UnitsAreCelsius(info.units);
        TemperatureSuffix(info.units);
        // A mapped device path comes back byte for byte as the file holds it.
        const QString device = PortMapDevicePath(7, &file);
        Check(ToUtf8Lossless(FromUtf8Lossless(DevicePathBytes(device))) == DevicePathBytes(device));
    }
    QFile::remove(path);
    return 0;
}
