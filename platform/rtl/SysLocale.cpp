#include "platform/rtl/SysLocale.h"

TSysLocale SysLocale;
