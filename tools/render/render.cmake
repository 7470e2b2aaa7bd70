# The picture renderer of one build; filled in with the renderer itself.
function(pelmora_render_build size core)
endfunction()
