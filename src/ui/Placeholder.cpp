// ui layer
