#include "platform/db/BatchMove.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

namespace fw {

void TBatchMove::Execute()
{
    if (!source_ || !destination_)
        throw EDatabaseError(dbmsg::CopyWithoutEnds(objectName()));
    if (destination_->Active())
        throw EDatabaseError(dbmsg::DataSetOpen(destination_->objectName()));
    if (!source_->Active())
        source_->Open();
    moved_ = 0;

    // The source's stored columns, with the declared types a query result carries.
    std::vector<TField*> fields;
    for (int i = 0; i < source_->FieldCount(); ++i)
        if (source_->Fields(i)->IsStored())
            fields.push_back(source_->Fields(i));
    QStringList declTypes;
    if (auto* q = dynamic_cast<TQuery*>(source_))
        declTypes = q->ColumnDeclTypes();

    auto conn = destination_->Session()->ConnectionFor(destination_->DatabaseName(), TOpenMode::CreateMissing);
    const QString name = destination_->SqlTableName();
    std::vector<TColumnDef> cols;
    QStringList names, marks;
    for (size_t i = 0; i < fields.size(); ++i) {
        TField* f = fields[i];
        QString type = SqlTypeName(f->DataType(), f->Size());
        if (i < size_t(declTypes.size()) && !declTypes.at(int(i)).isEmpty()) {
            const ColumnInfo declared = ParseDeclType(declTypes.at(int(i)));
            if (declared.type != TFieldType::Unknown && SameFamily(declared.type, f->DataType()))
                type = declTypes.at(int(i));
        }
        cols.push_back({f->FieldName(), type, false});
        names << conn->Quote(f->FieldName());
        marks << QStringLiteral("?");
    }

    TTransaction tx(conn);
    if (mode_ == TBatchMode::Copy) {
        const QString old = conn->StoredTableName(name);
        if (!old.isEmpty())
            conn->DropTable(old);
        conn->CreateTable(name, cols, {});
    }
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(conn->Quote(name), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    source_->DisableControls();
    try {
        source_->First();
        while (!source_->Eof()) {
            QVariantList values;
            for (TField* f : fields)
                values << ToSqlValue(f->DataType(), f->Value());
            conn->ForEachRow(insert, values, {});
            ++moved_;
            source_->Next();
        }
    } catch (...) {
        source_->EnableControls();
        throw;
    }
    source_->EnableControls();
    tx.Commit();
    conn->Touch();
}

} // namespace fw
