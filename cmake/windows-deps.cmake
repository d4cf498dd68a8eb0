# placeholder until the cross-built libraries arrive
