/*
 * qmend's signal handling. SIGXFSZ is ignored, so a write past the file size limit fails
 * and the target is reported instead of the program being killed with a temporary file left
 * behind. SIGTERM, SIGINT and SIGHUP remove the temporary file a run is writing (the target
 * keeps its old content) and end the program with status 128 + the signal.
 */
#pragma once

void InstallSignalHandlers();
