#pragma once
// Shows the skin reader's notices (the unknown-version message) in a message box. Call once at
// start-up, before the first skin loads.
void InstallSkinReaderMessageBox();
