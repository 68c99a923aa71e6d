// What the window does when it has been created and when a button is clicked.
#include "app/main_window.h"
#include "app/program.h"
#include "services/date.h"
#include "services/files.h"
#include "services/wallpaper.h"

void MainWindow::ShowEntry(PushEntry entry) {
  *g_current = std::move(entry);
  ByteBuffer picture = ReadWholeFile(g_current->path);
  图片框1.SetPicture(picture);
  状态条1.SetPartText(1, "推送日期：" + DateToText(g_current->date));
}

void MainWindow::OnWindowCreated() {
  状态条1.SetPartText(0, "推送总数：" + IntToText(g_catalog->Count()));
  ShowEntry(g_catalog->Latest());
}

void MainWindow::OnLatestClicked() { ShowEntry(g_catalog->Latest()); }

void MainWindow::OnPreviousClicked() { ShowEntry(g_catalog->Previous()); }

void MainWindow::OnNextClicked() { ShowEntry(g_catalog->Next()); }

void MainWindow::OnSetWallpaperClicked() { SetDesktopWallpaper(g_current->path, 0); }

void MainWindow::OnSavePictureClicked() {
  if (!通用对话框1.Open()) return;
  Text fileName = 通用对话框1.FileName();
  if (fileName.empty()) return;
  ByteBuffer picture = 图片框1.GetPicture();
  // With nothing on show there is nothing to save: writing would create an
  // empty file, or cut an existing one the user picked to 0 bytes.
  if (picture.empty()) return;
  WriteWholeFile(fileName, picture);
}
