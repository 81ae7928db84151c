// Dravik's window. The four panes come with the application work; until
// then this shows the window the user starts.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Dravik");
  auto* label = new QLabel("Dravik: use dravik-cli to talk to the calculator.");
  label->setAlignment(Qt::AlignCenter);
  window.setCentralWidget(label);
  window.resize(900, 600);
  window.show();
  return app.exec();
}
