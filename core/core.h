#pragma once
// core: the runtime every other library stands on. It knows nothing of audio and nothing of any
// toolkit.
//
// Threads. The interface thread owns every window and runs every command. Long operations are
// processes (LProgressDialog) that run on the interface thread in blocks and pump its messages
// between blocks through the MessageLoop. Background work runs on LThread workers, which wait on
// LSignalObject events, end on their stop event and report back with LThreadQueuedNotify.
//
// Reporting. Failures travel as results: process results, booleans, invalid handles. Messages for
// the user go through Prompts; texts for developers go through Diagnose.
//
// Ownership. Every file, child process and thread is owned by exactly one object and released by
// its destructor. The settings store behind ReadString & co. is chosen once at start-up.

#include "core/date_time.h"
#include "core/diagnostics.h"
#include "core/external_program.h"
#include "core/file.h"
#include "core/folders.h"
#include "core/llist.h"
#include "core/message_loop.h"
#include "core/paths.h"
#include "core/progress_dialog.h"
#include "core/progress_view.h"
#include "core/prompts.h"
#include "core/queued_notify.h"
#include "core/settings.h"
#include "core/signal_object.h"
#include "core/temporary_file.h"
#include "core/terminal_progress_view.h"
#include "core/thread.h"
