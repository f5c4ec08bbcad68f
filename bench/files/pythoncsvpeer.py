"""Python's csv module (the C reader) on the same file: every row."""
import csv
import os
import resource
import sys
import time

base = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
start = time.perf_counter()
cpu_start = time.thread_time()
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
seconds = time.perf_counter() - start
cpu = time.thread_time() - cpu_start
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
print(f"what=python-csv-read bytes={os.path.getsize(sys.argv[1])} contacts={len(rows) - 1} "
      f"seconds={seconds:.4f} cpu_seconds={cpu:.4f} peak_mb={peak:.1f} base_mb={base:.1f}")
