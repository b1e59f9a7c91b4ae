// Ids of the resources the Windows programs carry; read by the resource compiler too, so only
// preprocessor definitions.
#pragma once

// The program's icon. The lowest id, so Explorer shows it for the file.
#define NAMEWISP_ICON 1
