// Resource identifiers of the installer image.
#pragma once

#define IDI_BANNER 128
#define IDI_APP 129
#define IDA_MAIN 130
