// SPDX-License-Identifier: MIT
// The floor of the window's cold start: a bare QMainWindow holding a
// QTabWidget with four empty pages, shown and left running. The benchmark
// times both programs from their start to the moment the window is mapped.
#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    for (const char* name :
         {"Printer Configuration", "File Manager", "Bitmap Font Manager", "Command Tool"})
        tabs->addTab(new QWidget, QString::fromLatin1(name));
    window.setCentralWidget(tabs);
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
