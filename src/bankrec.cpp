#include "messages.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    installMessageBoxes();
    return 0;
}
