// The whole framework at once.
#pragma once

#include "winkit/vcalcon.h"
#include "winkit/vcont.h"
#include "winkit/vcore.h"
#include "winkit/vdata.h"
#include "winkit/vdlg.h"
#include "winkit/vgr.h"
#include "winkit/vimage.h"
#include "winkit/vstock.h"
#include "winkit/vtab.h"
#include "winkit/vtool.h"
#include "winkit/view.h"
#include "winkit/vwin.h"
