#pragma once

// The grid-layout file of the catalog lookup: the column layouts of its grids, written in
// the framework's component-streaming format each time the lookup closes. Nothing in the
// add-on reads it back.

#include <QByteArray>
#include <QString>
#include <vector>

namespace fw {
class TDBGridNormal;
}

namespace corvanel {

// Bare name: the file lies in the process's current directory.
inline const QString LookupLayoutFileName = QStringLiteral("catlook.cfg");

// A file stream that remembers its file name. Creating it makes sure the file exists and
// may be written; Rewrite replaces the contents whole, so that a shorter layout never
// leaves the tail of a longer earlier one behind, and a failed write leaves the previous
// contents as they were.
class TLookupLayoutFile final {
public:
    // EInOutError when the file can be neither opened for writing nor created.
    explicit TLookupLayoutFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }
    // EInOutError when the contents could not be stored.
    void Rewrite(const QByteArray& data);

private:
    QString fileName_;
};

// One record of the layout file: a TObjectWrapper component whose WrappedPersistent is the
// grid's column collection, WrappedComponent is empty and CurrentClassName is the record's
// number as text.
QByteArray GridLayoutRecord(const fw::TDBGridNormal& grid, int number);
// The records of the grids one after the other, numbered from 0.
QByteArray GridLayouts(const std::vector<const fw::TDBGridNormal*>& grids);

} // namespace corvanel
