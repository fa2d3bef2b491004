// The grid's side of the component stream, apart from the stream itself, which needs no
// windows (the fuzz harnesses build it alone).
#include "platform/ui/ComponentStream.h"

#include "platform/ui/DBGridNormal.h"

namespace fw {

namespace {

QString AlignmentName(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return QStringLiteral("Right");
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral("Center");
    return QStringLiteral("Left");
}

} // namespace

void WriteGridColumns(TComponentWriter& writer, const QString& name, const TDBGridNormal& grid)
{
    writer.BeginCollection(name, grid.ColumnCount());
    for (int i = 0; i < grid.ColumnCount(); ++i) {
        const TColumn* column = grid.Columns(i);
        writer.WriteString(QStringLiteral("FieldName"), column->FieldName());
        writer.WriteString(QStringLiteral("Title"), column->Title());
        writer.WriteInteger(QStringLiteral("Width"), column->Width());
        writer.WriteIdent(QStringLiteral("Alignment"), AlignmentName(column->Alignment()));
        if (column->Color().isValid())
            writer.WriteInteger(QStringLiteral("Color"), column->Color().rgb() & 0xFFFFFF);
        if (column->ReadOnly())
            writer.WriteBoolean(QStringLiteral("ReadOnly"), true);
        writer.EndItem();
    }
}

} // namespace fw
