// File > Open, Save and Information.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

void OpenFileCommand(HINSTANCE instance, HWND main);
void SaveFileCommand(HINSTANCE instance, HWND main);
void FileInfoCommand(HINSTANCE instance, HWND main);

// Opens `path` as File > Open does once its dialog has a name: the same checks, messages and
// repaint.
void OpenFilePath(HWND main, const char* path);

// Files dropped on the main window or named on the command line: the first is opened as above,
// the rest are named in one message.
void OpenGivenFiles(HWND main, const std::vector<std::string>& paths);
