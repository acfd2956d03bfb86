#pragma once
// cd: importing the tracks of an audio CD, with no toolkit.
//
// Vocabulary: a block (or sector) is 2352 bytes of a disc, 1/75 s of audio: 588 frames of 16-bit
// stereo at 44100 Hz. Tracks count from 0 in the code and from 1 for the user.
//
// The drives are reached through a CdDriveList chosen by the program (SG_IO on the machine's
// drives) or by a test (drives simulated from disc images). The processes send their commands on
// the interface thread and look for a cancel before each one; a drive opened by a process is
// closed when the process ends.

#include "cd/cd_commands.h"
#include "cd/cd_toc.h"
#include "cd/cdrom_info.h"
#include "cd/cdrom_ripper.h"
#include "cd/disc_image_file.h"
#include "cd/image_drive.h"
#include "cd/scsi_device.h"
#include "cd/sg_io_drives.h"
