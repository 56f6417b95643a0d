"""What the tests that run the real programs share: `book` builds and reads
the data files from their layout, `harness` drives the program under Xvfb.
CTest puts this folder's parent on PYTHONPATH; scripts/python does the same
for the scripts run by hand."""
