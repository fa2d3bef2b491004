// The shared settings file: what reading a key and writing one cost in a file of the size
// a company's KRBDEF.INI reaches (a few sections of a few dozen keys, comments).
#include "platform/config/IniFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace fw;

namespace {

QString MakeFile(const QTemporaryDir& dir)
{
    QString name = dir.filePath(QStringLiteral("KRBDEF.INI"));
    QByteArray text = "; Setari comune ale firmei\r\n";
    for (int s = 0; s < 6; ++s) {
        text += "\r\n[Sectiunea" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < 30; ++k)
            text += "Cheie" + QByteArray::number(k) + "=valoarea " + QByteArray::number(k * s) + "\r\n";
    }
    text += "\r\n[Productie]\r\nIndGest=_\r\nIndCod=.\r\nIndSemi=;\r\n";
    QFile file(name);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return name;
}

void BM_ReadKey(benchmark::State& state)
{
    QTemporaryDir dir;
    const TIniFile ini(MakeFile(dir));
    for (auto _ : state)
        benchmark::DoNotOptimize(ini.ReadString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QString()));
}
BENCHMARK(BM_ReadKey);

// A value that changes: the file is read, locked, read again and replaced.
void BM_WriteChangedKey(benchmark::State& state)
{
    QTemporaryDir dir;
    TIniFile ini(MakeFile(dir));
    int i = 0;
    for (auto _ : state)
        ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QString(QChar(u'A' + (i++ % 26))));
}
BENCHMARK(BM_WriteChangedKey)->Unit(benchmark::kMicrosecond);

// The same value again, as every OK of the settings dialog writes the keys it did not change.
void BM_WriteSameKey(benchmark::State& state)
{
    QTemporaryDir dir;
    TIniFile ini(MakeFile(dir));
    for (auto _ : state)
        ini.WriteString(QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("."));
}
BENCHMARK(BM_WriteSameKey)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
