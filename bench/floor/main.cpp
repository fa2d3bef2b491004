// The least a Qt program does before its first output: load Qt's core library, make a core
// application, write a line. bench_startup sets the tool's start against it.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::fputs("Comanda necunoscuta.\n", stderr);
    return 3;
}
