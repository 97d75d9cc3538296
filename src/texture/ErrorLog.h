// error.txt: the loaders' error log in the working directory.
//
// The texture loader appends one line per failure; the scene reader replaces the
// file's contents with its one message. Each call writes its texts one after the other,
// ends the line with a newline, flushes and closes the file.
#pragma once

void appendToErrorLog(const char* first, const char* second = "", const char* third = "");
void replaceErrorLog(const char* first, const char* second = "", const char* third = "");
