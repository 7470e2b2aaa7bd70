# Benchmarks of one build; filled in with the benchmarks themselves.
function(pelmora_bench_build size core)
endfunction()
