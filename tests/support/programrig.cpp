#include "programrig.h"

#include <QFile>

QByteArray PortSettings(const QByteArray& devicePath, int baudIndex, int address,
                        const QByteArray& sections)
{
    return "[CommPort]\nPort=150\n[CommBaudrate]\nBaudrate=" + QByteArray::number(baudIndex)
           + "\n[CommAddress]\nAddress=" + QByteArray::number(address) + "\n" + sections
           + "[PortMap]\nCOM150=" + devicePath + "\n";
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::unique_ptr<Program> StartProgram(const QString& settingsFolder, UserDialogs& dialogs,
                                      const QStringList& arguments, const QString& programFolder)
{
    ProgramOptions options;
    options.settingsFolder = settingsFolder;
    options.programFolder = programFolder.isEmpty() ? settingsFolder : programFolder;
    options.arguments = arguments;
    return std::make_unique<Program>(options, &dialogs);
}
