#pragma once

// What a child process made with fork() must do with the program's
// descriptors before exec; POSIX systems only.
namespace vel {

// The highest descriptor a process may hold, capped: read before fork, as
// sysconf is no call to make between fork and exec.
int HighestDescriptor();

// Closes every descriptor of the child above standard error except keep (the
// error pipe, which exec closes itself), so that the serial port and other
// files of the program do not leak into the child's program.
void CloseInheritedDescriptors(int keep, int highestDescriptor);

// The child's exec failed: its error number goes to the parent through the
// error pipe (which exec would have closed), before the child exits.
void SendExecError(int errorFd, int error);
// In the parent: the error number the child sent, or 0 when exec worked.
int ReadExecError(int errorFd);

}  // namespace vel
