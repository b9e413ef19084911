#pragma once

#include "app/CMainFrame.h"
