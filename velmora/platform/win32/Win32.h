// The Win32 stand-in: everything of <windows.h> and <mmsystem.h> that the engine uses,
// including the GDI part of <windows.h> (platform/gdi), and the threads, events, critical
// sections and Interlocked calls that a game's streaming code uses beside DirectSound.
#pragma once

#include <velmora/platform/gdi/Gdi.h>
#include <velmora/platform/win32/CRuntime.h>
#include <velmora/platform/win32/CodePage.h>
#include <velmora/platform/win32/ConsoleApi.h>
#include <velmora/platform/win32/CriticalSection.h>
#include <velmora/platform/win32/Dialogs.h>
#include <velmora/platform/win32/FileSystem.h>
#include <velmora/platform/win32/Handles.h>
#include <velmora/platform/win32/Interlocked.h>
#include <velmora/platform/win32/MessageQueue.h>
#include <velmora/platform/win32/Synchronization.h>
#include <velmora/platform/win32/Threads.h>
#include <velmora/platform/win32/Time.h>
#include <velmora/platform/win32/Types.h>
#include <velmora/platform/win32/WaveFormat.h>
#include <velmora/platform/win32/Window.h>
