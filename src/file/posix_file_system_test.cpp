#include "file/posix_file_system.h"
