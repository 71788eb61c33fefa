// The command model and this program's command tree.
