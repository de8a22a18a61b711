#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel placeholder("Quillet: the editor is being built.");
    placeholder.resize(420, 120);
    placeholder.show();
    return QApplication::exec();
}
