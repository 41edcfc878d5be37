// File > Open, Save and Information.
#pragma once
#include <windows.h>

void OpenFileCommand(HINSTANCE instance, HWND main);
void SaveFileCommand(HINSTANCE instance, HWND main);
void FileInfoCommand(HINSTANCE instance, HWND main);
