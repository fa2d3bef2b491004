#include "catalog/LookupLayoutFile.h"

#include "platform/config/AtomicFile.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/ComponentStream.h"

#include <QFile>

namespace corvanel {

TLookupLayoutFile::TLookupLayoutFile(const QString& fileName) : fileName_(fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        throw fw::EInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
}

void TLookupLayoutFile::Rewrite(const QByteArray& data)
{
    if (!fw::SaveFileAtomically(fileName_, data))
        throw fw::EInOutError(QStringLiteral("Unable to write to %1").arg(fileName_));
}

QByteArray GridLayoutRecord(const fw::TDBGridNormal& grid, int number)
{
    QByteArray out;
    fw::TComponentWriter writer(out);
    writer.WriteSignature();
    writer.BeginComponent(QStringLiteral("TObjectWrapper"), QString());
    fw::WriteGridColumns(writer, QStringLiteral("WrappedPersistent"), grid);
    writer.WriteNull(QStringLiteral("WrappedComponent"));
    writer.WriteString(QStringLiteral("CurrentClassName"), QString::number(number));
    writer.EndComponent();
    return out;
}

QByteArray GridLayouts(const std::vector<const fw::TDBGridNormal*>& grids)
{
    QByteArray out;
    for (size_t i = 0; i < grids.size(); ++i)
        out += GridLayoutRecord(*grids[i], int(i));
    return out;
}

} // namespace corvanel
