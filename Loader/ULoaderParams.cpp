#include "ULoaderParams.h"

#include "platform/SysUtils.h"
#include "utils/UFileUtils.h"

TLoaderParams::TLoaderParams() {}

void TLoaderParams::Prepare()
{
    IniFileName = ChangeFileExt(GetExeName(), ".ini");
}
