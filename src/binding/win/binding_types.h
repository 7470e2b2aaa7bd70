#pragma once

// The viewer binding's own types, on SoWin: the one header of the Windows
// binding that start-up sees, through app/viewer_binding.h.

#include <windows.h>

#include <Inventor/Win/viewers/SoWinExaminerViewer.h>

using BindingWindow = HWND;
using ExaminerViewer = SoWinExaminerViewer;
using FullViewer = SoWinFullViewer;
using Viewer = SoWinViewer;
