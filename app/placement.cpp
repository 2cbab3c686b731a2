#include "app/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/settingsfile.h"

void SaveFormPlacement(QWidget* window) {
  if (!window) return;
  IniFile ini;
  const std::string section = window->objectName().toStdString();
  int state = 0;
  if (window->isMaximized()) state = 2;
  else if (window->isMinimized()) state = 1;
  const QRect g = window->geometry();
  ini.WriteInteger(section, "WindowState", state);
  ini.WriteInteger(section, "Left", g.left());
  ini.WriteInteger(section, "Top", g.top());
  ini.WriteInteger(section, "Width", g.width());
  ini.WriteInteger(section, "Height", g.height());
}

void RestoreFormPlacement(QWidget* window, bool withSize) {
  if (!window) return;
  IniFile ini;
  const std::string section = window->objectName().toStdString();
  if (ini.ReadInteger(section, "WindowState", 0) == 2) {
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
    return;
  }
  int left = ini.ReadInteger(section, "Left", 0);
  int top = ini.ReadInteger(section, "Top", 0);
  int width = window->width(), height = window->height();
  if (withSize) {
    width = ini.ReadInteger(section, "Width", width);
    height = ini.ReadInteger(section, "Height", height);
  }
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize sz = screen ? screen->size() : QSize(1920, 1080);
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  if (left >= sz.width()) left = 0;
  if (top >= sz.height()) top = 0;
  window->move(left, top);
  if (withSize) window->resize(width, height);
}
