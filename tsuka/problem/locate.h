// Finding the problem file, and converting it when it is not a problem
// database (.KDB) file.
#pragma once

#include "tsuka/driver/run.h"

extern char inputFullPath[256];
extern char inputShortPath[256];
extern char databasePath[256];

// Sets the input paths from the second argument; returns only when the file
// opens for reading.
void locateProblemFile(const ArgumentList& arguments);

// True when a path's last four bytes are exactly ".KDB" or ".kdb".
bool endsWithDatabaseExtension(const char* path);

// The input itself is the database; returns only when it opens.
void useDatabaseDirectly();

// Runs the converter on the input, whose output in the program directory
// becomes the database; returns only when that opens.
void convertToDatabase();
